// The find run driven through the real widgets: Enter in the find box, the rows, the closing
// message, what the run stores, the empty find text, Stop, failures and closing mid-run.
#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <signal.h>
#include <unistd.h>

#include "app/quit_signals.h"
#include "app/result_model.h"
#include "core/fileops/file_common.h"
#include "frm_find_support.h"
#include "support/scoped_env.h"

namespace quonder::testing {

// A shown window over `files` data files holding `text`, with a TEMP and a backup folder of its
// own, and its messages logged.
struct ShownWindow {
  ShownWindow(int files, const char* text) : temp_env("TEMP", temp.path()) {
    fixture.WriteDataFiles(files, text);
    fixture.PointAtData();
    window = fixture.Open();
    if (window != nullptr && CreateFolderPath(window->strBackupFolder)) window->show();
  }
  bool ok() const { return window != nullptr && window->isVisible(); }

  WindowFixture fixture;
  ScratchFolder temp;
  ScopedEnv temp_env;
  MessageLog log;
  std::unique_ptr<frmFind> window;
};

class FrmFindRunTest : public QObject {
  Q_OBJECT

 private slots:
  void EnterInFindBoxRunsAndStoresConditions() {
    WindowFixture fixture;
    fixture.WriteData("a.txt", "hello world\r\nsay hello\r\n");
    fixture.WriteData("b.dat", "hello");
    fixture.WriteData("sub/c.txt", "\xc3\xa9t\xc3\xa9 hello");  // é before the hit: column 5
    fixture.PointAtData();
    MessageLog log;
    auto window = fixture.Open();
    QVERIFY(window);
    QVERIFY(ShowSettled(*window));

    TypeFindText(*window, "hello");
    Child<QComboBox>(*window, "cboExtentions")->lineEdit()->clear();
    QTest::keyClicks(Child<QComboBox>(*window, "cboExtentions"), "txt");
    QTest::keyClick(Child<QComboBox>(*window, "cboFind"), Qt::Key_Return);
    QTRY_COMPARE(log.messages().size(), size_t{1});
    QCOMPARE(log.Transcript(), QStringList{"Find Text: Found from 1 Files."});
    QCOMPARE(log.messages()[0].style, 64);
    QCOMPARE(Rows(*window->results()),
             (QStringList{"1|a.txt|1|1|hello|1", "2|a.txt|2|5|hello|18"}));

    // The conditions and histories were stored before the run.
    QCOMPARE(fixture.Ini("FindSetting", "SourceFolder"), fixture.DataFolder());
    for (const char* key : {"UseRegExp", "IgnoreCase", "WordOnly", "SubFolder", "ExtBehavior"}) {
      QCOMPARE(fixture.Ini("FindSetting", key), std::string("0"));
    }
    QCOMPARE(fixture.Ini("FindSetting", "Separator"), std::string("_,. \"#&'()|[]{}<>"));
    QCOMPARE(fixture.Ini("FindSetting", "Coding"), std::string("utf-8"));
    QCOMPARE(fixture.Ini("FindSetting", "LineFeedCode"), std::string("\n"));  // the default
    QCOMPARE(fixture.Ini("FindHistory", "0"), std::string("hello"));
    QCOMPARE(fixture.Ini("ExtentionsHistory", "0"), std::string("txt"));
    QCOMPARE(Items(*Child<QComboBox>(*window, "cboFind")), (QStringList{"hello", ""}));

    // The run's counters, and the list to go on from (the rest of the end state: below).
    QCOMPARE(Panel(*window, 3), QStringLiteral("1"));
    QCOMPARE(Panel(*window, 4), QStringLiteral("2"));
    QCOMPARE(window->focusWidget(), Child<QWidget>(*window, "ListView1"));

    // Again with subfolders, a new find text and the old one back: the history moves it up.
    QTest::mouseClick(Child<QCheckBox>(*window, "chkSubFolder"), Qt::LeftButton);
    TypeFindText(*window, "say");
    QTest::mouseClick(Child<QPushButton>(*window, "cmdFind"), Qt::LeftButton);
    QTRY_COMPARE(log.messages().size(), size_t{2});
    TypeFindText(*window, "hello");
    QTest::keyClick(Child<QComboBox>(*window, "cboFind"), Qt::Key_Return);
    QTRY_COMPARE(log.messages().size(), size_t{3});
    QCOMPARE(log.Transcript().last(), QStringLiteral("Find Text: Found from 2 Files."));
    QCOMPARE(Rows(*window->results()), (QStringList{"1|a.txt|1|1|hello|1", "2|a.txt|2|5|hello|18",
                                                    "3|sub/c.txt|1|5|hello|5"}));
    QCOMPARE(Items(*Child<QComboBox>(*window, "cboFind")), (QStringList{"hello", "say", ""}));
    QCOMPARE(fixture.Ini("FindSetting", "SubFolder"), std::string("1"));

    // An empty find text is refused: only the counters change, the rows stay, nothing is stored.
    const std::string settings = fixture.ReadFile(fixture.IniFile());
    TypeFindText(*window, "");
    QTest::keyClick(Child<QComboBox>(*window, "cboFind"), Qt::Key_Return);
    QCOMPARE(log.Transcript().last(), QStringLiteral("Find Text Alarm: Set Find data !"));
    QCOMPARE(log.messages().back().style, 48);
    QCOMPARE(window->results()->rowCount(), 3);
    QCOMPARE(Panel(*window, 3), QStringLiteral("0"));
    QCOMPARE(Panel(*window, 4), QStringLiteral("0"));
    QCOMPARE(Panel(*window, 1), QStringLiteral("Complete Finding"));
    QVERIFY(!window->Running());
    QCOMPARE(fixture.ReadFile(fixture.IniFile()), settings);
  }

  // A find after a long list gives the list's memory back (measured in bench/window_qt.cc):
  // its row header is made anew, and must come out as the designed one.
  void AFindAfterALongListKeepsTheRowsAsDesigned() {
    WindowFixture fixture;
    fixture.WriteData("a.txt", std::string(100'000, 'a') + "\nb\n");
    fixture.PointAtData("MaxSize=0\n");  // no size limit
    MessageLog log;
    auto window = fixture.Open();
    QVERIFY(window);
    QVERIFY(ShowSettled(*window));
    auto* list = Child<QTableView>(*window, "ListView1");
    const int row_height = list->verticalHeader()->defaultSectionSize();
    QVERIFY(FindAndWait(*window, log, "a"));
    QCOMPARE(window->results()->rowCount(), 100'000);
    QVERIFY(FindAndWait(*window, log, "b"));
    QCOMPARE(Rows(*window->results()), QStringList{"1|a.txt|2|1|b|100002"});
    QVERIFY(list->verticalHeader()->isHidden());
    QCOMPARE(list->verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
    QCOMPARE(list->rowHeight(0), row_height);
  }

  // Stop ends a run early; closing the window during a run stops it and waits for it, and
  // nothing is reported afterwards.
  void StopOrCloseEndsTheRunEarly() {
    constexpr int kFiles = 1500;
    ShownWindow shown(kFiles, "hay hay needle hay\n");
    QVERIFY(shown.ok());
    auto& window = shown.window;
    MessageLog& log = shown.log;
    TypeFindText(*window, "needle");
    RunGate gate(*window, 10);
    QTest::mouseClick(Child<QPushButton>(*window, "cmdFind"), Qt::LeftButton);

    // While it runs: Find and the commands that change files cannot start; Enter does nothing.
    QVERIFY(window->Running());
    QCOMPARE(Enabled(*window), QString());
    QCOMPARE(window->cursor().shape(), Qt::BusyCursor);
    QCOMPARE(Panel(*window, 1), QStringLiteral("Start Finding"));
    QTest::keyClick(Child<QComboBox>(*window, "cboFind"), Qt::Key_Return);

    QTest::mouseClick(Child<QPushButton>(*window, "cmdStop"), Qt::LeftButton);
    gate.Open();
    QTRY_VERIFY(!window->Running());
    QTRY_COMPARE(log.messages().size(), size_t{1});
    const int rows = window->results()->rowCount();
    QVERIFY2(rows < kFiles, qPrintable(QString::number(rows)));
    QCOMPARE(log.Transcript(),
             QStringList{QStringLiteral("Find Text: Found from %1 Files.").arg(rows)});
    // Replace goes with the rows the run left.
    QCOMPARE(Enabled(*window), rows > 0 ? QStringLiteral("Find Replace Copy Xcopy")
                                        : QStringLiteral("Find Copy Xcopy"));
    QCOMPARE(Panel(*window, 1), QStringLiteral("Complete Finding"));
    QCOMPARE(window->cursor().shape(), Qt::ArrowCursor);
    // A second run is not affected by the old stop request.
    QTest::mouseClick(Child<QPushButton>(*window, "cmdFind"), Qt::LeftButton);
    QTRY_COMPARE(log.messages().size(), size_t{2});
    QCOMPARE(window->results()->rowCount(), kFiles);

    QTest::mouseClick(Child<QPushButton>(*window, "cmdFind"), Qt::LeftButton);
    QVERIFY(window->Running());
    QVERIFY(window->close());
    QVERIFY(!window->Running());
    // What the run posted before it was joined is dropped, not shown.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    QCOMPARE(log.messages().size(), size_t{2});
    QVERIFY(!FolderExists(window->strBackupFolder));
  }

  // A quit signal (logout, kill, Ctrl+C) closes the window as its close box does: the run is
  // stopped and joined, nothing is reported, and the backup folder goes.
  void AQuitSignalClosesTheWindowInOrder() {
    ShownWindow shown(50, "needle\n");
    QVERIFY(shown.ok());
    auto& window = shown.window;
    MessageLog& log = shown.log;
    QVERIFY(CloseWindowsOnQuitSignals());
    TypeFindText(*window, "needle");
    RunGate gate(*window, 5);
    QTest::mouseClick(Child<QPushButton>(*window, "cmdFind"), Qt::LeftButton);
    QTRY_VERIFY(gate.Reached());
    QCOMPARE(kill(getpid(), SIGTERM), 0);
    QTRY_VERIFY(!window->isVisible());
    QVERIFY(!window->Running());
    QCoreApplication::processEvents();
    QVERIFY(log.messages().empty());
    QVERIFY(!FolderExists(window->strBackupFolder));
  }

  // The run reads the extension list at each file: emptying it mid-run (Include) leaves the
  // remaining files unsearched.
  void OptionChangeReachesTheRunningRun() {
    constexpr int kFiles = 1500;
    WindowFixture fixture;
    fixture.WriteDataFiles(kFiles, "hay hay needle hay\n");
    fixture.PointAtData();
    MessageLog log;
    auto window = fixture.Open();
    QVERIFY(window);
    window->show();
    TypeFindText(*window, "needle");
    constexpr int kGateAt = 10;  // the run's first read is before any file
    RunGate gate(*window, kGateAt);
    QTest::mouseClick(Child<QPushButton>(*window, "cmdFind"), Qt::LeftButton);
    QVERIFY(window->Running());
    Child<QComboBox>(*window, "cboExtentions")->lineEdit()->clear();
    QTest::keyClicks(Child<QComboBox>(*window, "cboExtentions"), "zzz");
    gate.Open();
    QTRY_COMPARE(log.messages().size(), size_t{1});
    QVERIFY2(window->results()->rowCount() < kGateAt,
             qPrintable(QString::number(window->results()->rowCount())));
    // What was stored is what the run started with.
    QCOMPARE(fixture.Ini("ExtentionsHistory", "0"), std::string("txt"));
  }

  // Every run ends in order with one message: a failure named in an alarm, or under "Found from
  // N Files." one line for each kind of file the run left out (which failures and notes there
  // are is the run's, tested with it).
  void RunEndsInOrderWithOneMessage_data() {
    QTest::addColumn<QString>("settings");  // DATA is the data folder
    QTest::addColumn<QString>("find");
    QTest::addColumn<QString>("message");  // an alarm's must name it; a summary is it
    QTest::newRow("missing source folder") << "SourceFolder=DATA/nowhere\n"
                                           << "abc"
                                           << "Alarm: DATA/nowhere";
    QTest::newRow("a file over the size limit")
        << "SourceFolder=DATA\nMaxSize=100\nExtentions=txt\nExtBehavior=0\n"
        << "abc"
        << ": Found from 1 Files.\n1 file(s) larger than the Maximum File Size were skipped.";
    QTest::newRow("include with an empty list")
        << "SourceFolder=DATA\nMaxSize=0\nExtBehavior=0\n"
        << "abc"
        << ": Found from 0 Files.\n"
           "No file was searched: no file's extension is in the extension list (Include).";
  }

  void RunEndsInOrderWithOneMessage() {
    QFETCH(QString, settings);
    QFETCH(QString, find);
    QFETCH(QString, message);
    WindowFixture fixture;
    fixture.WriteData("a.txt", "abc a(b");
    fixture.WriteData("big.txt", std::string(200, 'x') + "abc");
    const QString data = QString::fromStdString(fixture.DataFolder());
    fixture.WriteIni("[FindSetting]\n" + settings.replace("DATA", data).toStdString());
    MessageLog log;
    auto window = fixture.Open();
    QVERIFY(window);
    window->show();
    QVERIFY(FindAndWait(*window, log, find));
    const QString said = log.Transcript().join('|');
    if (message.startsWith("Alarm: ")) {
      QVERIFY2(said.startsWith("Find Text Alarm: ") && said.size() > 17, qPrintable(said));
      QVERIFY2(said.contains(message.mid(7).replace("DATA", data)), qPrintable(said));
      QCOMPARE(log.messages()[0].style, 16);
    } else {
      QCOMPARE(said, "Find Text" + message);
      QCOMPARE(log.messages()[0].style, 64);
    }
    QCOMPARE(Enabled(*window), window->results()->rowCount() > 0
                                   ? QStringLiteral("Find Replace Copy Xcopy")
                                   : QStringLiteral("Find Copy Xcopy"));
    QCOMPARE(window->cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(Panel(*window, 1), QStringLiteral("Complete Finding"));
  }
};

}  // namespace quonder::testing

QTEST_MAIN(quonder::testing::FrmFindRunTest)
#include "frm_find_run_test.moc"
