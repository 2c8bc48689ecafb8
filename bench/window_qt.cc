// Measures the real window (offscreen) while a find run fills its list, while Select All takes
// every row, and while a row of a large file is hovered: the worst delay of its event loop (a
// 1 ms timer noting the longest gap between two of its ticks) and its resident memory (peak and
// final, from /proc/self/status; the peak is reset before each phase).
//
//   window_bench FOLDER TEXT [hover]   a find of TEXT in FOLDER and its subfolders, in UTF-8,
//                                      every file; with "hover", then the last row is hovered
//                                      until its line shows; at the end a find that has no hits
//                                      empties the list: what memory is then given back
//   window_bench FOLDER TEXT repeat N  then N more finds of TEXT, and N rounds of Replace
//                                      (with backup) and Restore over every row: the memory
//                                      after each, and the threads and open files at the end
#include <time.h>
#include <QAbstractItemModel>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHelpEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QToolTip>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "app/frm_find.h"
#include "app/message_box.h"
#include "app/result_model.h"

namespace {

// A field of /proc/self/status in MB ("VmRSS", "VmHWM").
double StatusMb(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::string key = std::string(field) + ":";
  while (std::getline(status, line)) {
    if (line.rfind(key, 0) == 0) return std::stod(line.substr(key.size())) / 1024.0;
  }
  return 0;
}

// Lets the peak (VmHWM) start again from the current resident set.
void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

// CPU time of the calling thread, in milliseconds.
double ThreadCpuMs() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// The longest gap between two ticks of a 1 ms timer on the window's thread, and the most CPU
// time the thread spent between two ticks: a gap much longer than that was the thread waiting
// for a core (other processes, the find workers), not the window at work.
class LoopDelay {
 public:
  LoopDelay() {
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(1);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
  }
  void Start() {
    worst_ = 0;
    worst_busy_ = 0;
    clock_.start();
    cpu_ = ThreadCpuMs();
    timer_.start();
  }
  void Stop() {
    timer_.stop();
    Tick();
  }
  std::string Text() const {
    return std::to_string(worst_) + " ms (busy at most " +
           std::to_string(static_cast<int>(worst_busy_ + 0.5)) + " ms of CPU between ticks)";
  }

 private:
  void Tick() {
    worst_ = std::max(worst_, clock_.restart());
    const double cpu = ThreadCpuMs();
    worst_busy_ = std::max(worst_busy_, cpu - cpu_);
    cpu_ = cpu;
  }

  QTimer timer_;
  QElapsedTimer clock_;
  qint64 worst_ = 0;
  double cpu_ = 0;
  double worst_busy_ = 0;
};

// Runs the event loop until `done` holds (checked every millisecond) or `seconds` pass.
template <typename Done>
bool Await(Done done, int seconds) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > seconds * 1000) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
  }
  return true;
}

// Entries of /proc/self/`what` ("task": threads, "fd": open files).
int ProcEntries(const char* what) {
  return static_cast<int>(QDir(QStringLiteral("/proc/self/") + QLatin1String(what))
                              .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System)
                              .size());
}

// `rounds` finds of `text`, then `rounds` rounds of Replace and Restore over every row.
void Repeat(quonder::frmFind& window, const QString& text, int rounds, bool& finished) {
  auto* find = window.findChild<QComboBox*>("cboFind");
  auto* list = window.findChild<QTableView*>("ListView1");
  const auto run_find = [&] {
    finished = false;
    find->lineEdit()->setText(text);
    window.findChild<QPushButton*>("cmdFind")->click();
    Await([&finished] { return finished; }, 3600);
  };
  const auto run_command = [&](const char* name) {
    window.findChild<QPushButton*>(name)->click();
    Await([&window] { return !window.FileOpRunning(); }, 3600);
  };
  const int threads = ProcEntries("task");
  const int files = ProcEntries("fd");
  std::printf("%d finds; MB after each:", rounds);
  for (int i = 0; i < rounds; ++i) {
    run_find();
    std::printf(" %.0f", StatusMb("VmRSS"));
    std::fflush(stdout);
  }
  std::printf(" (%d rows each)", static_cast<int>(window.results()->rowCount()));
  window.findChild<QComboBox*>("cboReplace")->setEditText(text + QStringLiteral("_"));
  std::printf("\n%d rounds of Replace and Restore over every row; MB after each:", rounds);
  for (int i = 0; i < rounds; ++i) {
    run_find();
    list->selectAll();
    run_command("cmdReplace");
    run_command("cmdRestore");
    std::printf(" %.0f", StatusMb("VmRSS"));
    std::fflush(stdout);
  }
  Await([] { return false; }, 1);
  std::printf("\nthreads %d -> %d, open files %d -> %d\n", threads, ProcEntries("task"), files,
              ProcEntries("fd"));
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc < 3) {
    std::fprintf(stderr, "usage: window_bench FOLDER TEXT [hover | repeat N]\n");
    return 2;
  }
  const QString folder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
  const QString text = QString::fromLocal8Bit(argv[2]);
  const bool hover = argc > 3 && std::string(argv[3]) == "hover";
  const int repeat = argc > 4 && std::string(argv[3]) == "repeat" ? std::atoi(argv[4]) : 0;

  QTemporaryDir program;
  QFile::copy(QStringLiteral(QUONDER_DATA_DIR "/CharCodeSet.ini"),
              program.filePath("CharCodeSet.ini"));
  const QString ini = program.filePath("Quonder.ini");
  {
    QFile file(ini);
    file.open(QIODevice::WriteOnly);
    file.write(("[FindSetting]\nSourceFolder=" + folder.toUtf8() +
                "\nSubFolder=1\nMaxSize=0\nExtentions=\nExtBehavior=1\nCoding=utf-8\n"
                "EnableRestore=1\n"));
  }
  bool finished = false;
  quonder::SetMessageBoxHandler([&finished](const quonder::MessageRequest& request) {
    if (request.prompt.startsWith("Found from")) finished = true;
    return quonder::kIdOk;
  });

  quonder::frmFind window({program.path().toStdString(), ini.toStdString(), {}});
  if (!window.Form_Load()) return 1;
  window.show();
  Await([] { return false; }, 1);  // settle
  auto* list = window.findChild<QTableView*>("ListView1");
  auto* find = window.findChild<QComboBox*>("cboFind");
  find->lineEdit()->setText(text);
  std::printf("Machine: %d cores. Window with %d find workers.\n", QThread::idealThreadCount(),
              QThread::idealThreadCount());

  LoopDelay delay;
  const double before = StatusMb("VmRSS");
  ResetPeak();
  QElapsedTimer clock;
  clock.start();
  delay.Start();
  window.findChild<QPushButton*>("cmdFind")->click();
  Await([&finished] { return finished; }, 3600);
  delay.Stop();
  const qint64 run_ms = clock.elapsed();
  const double peak = StatusMb("VmHWM");
  const double after = StatusMb("VmRSS");
  const qint64 rows = window.results()->rowCount();
  std::printf("find run: %lld rows in %.1f s; worst event-loop delay %s\n",
              static_cast<long long>(rows), run_ms / 1000.0, delay.Text().c_str());
  std::printf(
      "  memory: %.0f MB before, peak %.0f MB, final %.0f MB (peak/final %.2f); "
      "%.1f bytes per row\n",
      before, peak, after, peak / after, rows > 0 ? (after - before) * 1048576.0 / rows : 0.0);

  list->setFocus();
  clock.restart();
  delay.Start();
  QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
  QCoreApplication::processEvents();
  delay.Stop();
  std::printf("Ctrl+A: %lld ms until painted; %d selection range(s)\n",
              static_cast<long long>(clock.elapsed()),
              static_cast<int>(list->selectionModel()->selection().size()));

  if (hover && rows > 0) {
    list->clearSelection();
    const QModelIndex last = window.results()->index(static_cast<int>(rows - 1), 4);
    list->scrollTo(last);
    Await([] { return false; }, 1);
    const QRect rect = list->visualRect(last);
    const double hover_before = StatusMb("VmRSS");
    ResetPeak();
    clock.restart();
    delay.Start();
    QHelpEvent event(QEvent::ToolTip, rect.center(), list->viewport()->mapToGlobal(rect.center()));
    QCoreApplication::sendEvent(list->viewport(), &event);
    const QString reading = QString::fromUtf8("reading\u2026");
    const bool shown =
        Await([&] { return QToolTip::isVisible() && QToolTip::text() != reading; }, 600);
    delay.Stop();
    const qint64 hover_ms = clock.elapsed();
    Await([] { return false; }, 1);
    std::printf("hover on the last row: line %s after %.2f s; worst event-loop delay %s\n",
                shown ? "shown" : "NOT shown", hover_ms / 1000.0, delay.Text().c_str());
    std::printf("  memory: %.0f MB before, peak %.0f MB, %.0f MB a second after\n", hover_before,
                StatusMb("VmHWM"), StatusMb("VmRSS"));
  }
  // The list emptied by a find without hits: the rows' memory goes back to the system.
  finished = false;
  find->lineEdit()->setText(QStringLiteral("\u2400no such text\u2400"));
  window.findChild<QPushButton*>("cmdFind")->click();
  Await([&finished] { return finished; }, 3600);
  Await([] { return false; }, 1);
  std::printf("a find without hits after it: %.0f MB (%.0f MB before the first find)\n",
              StatusMb("VmRSS"), before);
  if (repeat > 0) Repeat(window, text, repeat, finished);
  quonder::SetMessageBoxHandler(nullptr);
  return 0;
}
