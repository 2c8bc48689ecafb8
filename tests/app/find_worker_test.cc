// The find run on its worker thread, driven as the window drives it: rows come in batches on
// the window thread, all of them before finished(); Stop, Shutdown and failures end the run in
// order. Runs are held at a gate where a test must act while they surely go.
#include <QTest>

#include <memory>
#include <string>

#include "app/find_worker.h"
#include "frm_find_support.h"

namespace quonder {
namespace {

using testing::RunGate;

constexpr int kLongRunFiles = 300;
// A run on one worker reads its conditions about 42 times per file of the long tree: held at
// this read, it has found rows in a few files and has most of the tree before it.
constexpr int kHoldAtRead = 200;

// Runs what the run's thread posted to the window thread up to now, without waiting for more.
void RunPostedEvents() {
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents();
}

std::shared_ptr<FindConditions> Conditions(const std::string& folder, std::u16string find_text) {
  auto conditions = std::make_shared<FindConditions>();
  conditions->find_text = std::move(find_text);
  conditions->source_folder = folder;
  conditions->sub_folders = true;
  conditions->extensions = u"txt";
  conditions->line_feed_code = u"\n";
  return conditions;
}

// What a run handed to the window, in the order it arrived.
struct Transcript {
  ResultRows rows;
  int batches = 0;
  QString panels[6];
  bool rows_after_finished = false;
  bool finished = false;
  Status status;
  FindRunResult result;

  void Attach(FindWorker& worker) {
    QObject::connect(&worker, &FindWorker::rowsReady, [this](const ResultRows& batch) {
      rows_after_finished |= finished;
      ++batches;
      rows.Append(batch);
    });
    QObject::connect(&worker, &FindWorker::statusText,
                     [this](int panel, const QString& text) { panels[panel] = text; });
    QObject::connect(&worker, &FindWorker::finished,
                     [this, &worker](const Status& s, const FindRunResult& r) {
                       QVERIFY(!worker.Running());
                       finished = true;
                       status = s;
                       result = r;
                     });
  }
};

}  // namespace

class FindWorkerTest : public QObject {
  Q_OBJECT

 private slots:
  // A tree big enough that a run takes far longer than one delivery interval.
  void initTestCase() {
    std::string text;
    for (int line = 0; line < 40; ++line) text += "some words and a needle in line\n";
    for (int i = 0; i < kLongRunFiles; ++i) {
      long_tree_.Write("d" + std::to_string(i % 20) + "/f" + std::to_string(i) + ".txt", text);
    }
  }

  void DeliversEveryRowInOrderBeforeFinished() {
    testing::ScratchFolder dir;
    dir.Write("a.txt", "needle\nno\nneedle needle\n");
    dir.Write("skip.bin", "needle\n");
    dir.Write("sub/b.txt", "x needle\n");
    dir.Write("sub/none.txt", "nothing here\n");
    FindWorker worker;
    Transcript transcript;
    transcript.Attach(worker);
    QVERIFY(worker.Start(Conditions(dir.path(), u"needle")));
    QVERIFY(worker.Running());
    QVERIFY(!worker.Start(Conditions(dir.path(), u"needle")));  // one run at a time
    QTRY_VERIFY(transcript.finished);

    QVERIFY2(transcript.status.ok(), transcript.status.message().c_str());
    QVERIFY(!transcript.rows_after_finished);
    QCOMPARE(transcript.result.find_counter, int64_t{4});
    QCOMPARE(transcript.result.found_files, 2);
    QCOMPARE(transcript.result.file_counter, 3);
    QStringList rows;
    for (size_t i = 0; i < transcript.rows.size(); ++i) {
      const ResultRows& r = transcript.rows;
      rows << QString("%1:%2:%3:%4")
                  .arg(QString::fromStdString(r.Path(i)))
                  .arg(r.Line(i))
                  .arg(r.Column(i))
                  .arg(QString::fromStdU16String(std::u16string(r.Found(i))));
    }
    QCOMPARE(rows, (QStringList{"a.txt:1:1:needle", "a.txt:3:1:needle", "a.txt:3:8:needle",
                                "sub/b.txt:1:3:needle"}));
    // The last texts of the counters are those of the end of the run.
    QCOMPARE(transcript.panels[3], QString("3"));
    QCOMPARE(transcript.panels[4], QString("4"));
  }

  void StopEndsTheRunEarlyAndOnlyThatRun_data() {
    QTest::addColumn<bool>("at_once");
    QTest::newRow("before the first file") << true;
    QTest::newRow("after the first batch") << false;
  }

  void StopEndsTheRunEarlyAndOnlyThatRun() {
    QFETCH(bool, at_once);
    FindWorker worker;
    RunGate gate(worker, at_once ? 1 : kHoldAtRead);
    Transcript transcript;
    transcript.Attach(worker);
    QVERIFY(worker.Start(Conditions(long_tree_.path(), u"needle")));
    if (!at_once) QTRY_VERIFY(transcript.batches >= 1);
    worker.Stop();
    gate.Open();
    QTRY_VERIFY(transcript.finished);
    QVERIFY(transcript.status.ok());
    QVERIFY(transcript.result.stopped);
    QCOMPARE(static_cast<int64_t>(transcript.rows.size()), transcript.result.find_counter);
    QVERIFY(transcript.rows.size() < size_t{kLongRunFiles} * 40);
    if (at_once) QCOMPARE(transcript.rows.size(), size_t{0});

    // The stop flag belongs to one run: the next one goes to the end. The window stays live
    // during it: rows come while it is held half-way, and more after.
    RunGate second_gate(worker, kHoldAtRead);
    Transcript second;
    second.Attach(worker);
    QVERIFY(worker.Start(Conditions(long_tree_.path(), u"needle")));
    QTRY_VERIFY(second.batches >= 1);
    QVERIFY(!second.finished);
    second_gate.Open();
    QTRY_VERIFY(second.finished);
    QVERIFY(second.status.ok());
    QVERIFY(!second.result.stopped);
    QVERIFY(second.batches >= 2);
    QCOMPARE(second.rows.size(), size_t{kLongRunFiles} * 40);
  }

  // Which failures end a run, and how they are named, is the run's; the worker hands the
  // status over and is ready for the next run. A start without conditions is refused.
  void FailureEndsTheRunInOrder() {
    testing::ScratchFolder dir;
    const std::string missing = dir.Path("missing");
    FindWorker worker;
    Transcript transcript;
    transcript.Attach(worker);
    QVERIFY(worker.Start(Conditions(missing, u"x")));
    QTRY_VERIFY(transcript.finished);
    QVERIFY(transcript.status.message().find(missing) != std::string::npos);
    QVERIFY(worker.Start(Conditions(missing, u"x")));
    QTRY_VERIFY(!worker.Running());
    QVERIFY(!worker.Start(nullptr));  // no conditions: refused
    QVERIFY(!worker.Running());
    worker.PublishConditions(nullptr);
  }

  // Closing the window while a run goes: the run stops, its thread is joined, and nothing
  // reaches the (closing) window afterwards, not even what the run posted before.
  void ShutdownStopsWaitsAndStaysSilent() {
    FindWorker worker;
    Transcript transcript;
    transcript.Attach(worker);
    QVERIFY(worker.Start(Conditions(long_tree_.path(), u"needle")));
    worker.Shutdown();
    QVERIFY(!worker.Running());
    RunPostedEvents();
    QCOMPARE(transcript.batches, 0);
    QVERIFY(!transcript.finished);
    worker.Shutdown();  // idempotent

    auto doomed = std::make_unique<FindWorker>();
    Transcript silent;
    silent.Attach(*doomed);
    QVERIFY(doomed->Start(Conditions(long_tree_.path(), u"needle")));
    doomed.reset();  // the destructor stops and joins
    RunPostedEvents();
    QCOMPARE(silent.batches, 0);
    QVERIFY(!silent.finished);
  }

 private:
  testing::ScratchFolder long_tree_;
};

}  // namespace quonder

QTEST_MAIN(quonder::FindWorkerTest)
#include "find_worker_test.moc"
