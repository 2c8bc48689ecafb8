#include "frm_find_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>

#include "app/file_ops_worker.h"
#include "app/find_worker.h"
#include "app/result_model.h"
#include "app/window_command_line.h"
#include "core/settings/ini_file_common.h"

namespace quonder::testing {

MessageLog::MessageLog(int answer)
    : messages_(std::make_shared<std::vector<MessageRequest>>()),
      answer_(std::make_shared<int>(answer)) {
  SetMessageBoxHandler([messages = messages_, answer = answer_](const MessageRequest& request) {
    messages->push_back(request);
    return *answer;
  });
}

MessageLog::~MessageLog() { SetMessageBoxHandler(nullptr); }

QStringList MessageLog::Transcript() const {
  QStringList lines;
  for (const MessageRequest& request : *messages_) {
    lines << request.title + QStringLiteral(": ") + request.prompt;
  }
  return lines;
}

std::string WriteScript(const ScratchFolder& folder, const std::string& name,
                        const std::string& body) {
  const std::string path = folder.Write(name, "#!/bin/sh\n" + body + "\n");
  QFile::setPermissions(QString::fromStdString(path),
                        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  return path;
}

std::string CodeSetName(int index) {
  // Index 2 is a malformed value: it keeps its place with an empty name.
  static const std::map<int, std::string> kNames = {
      {0, "shift_jis"}, {1, "no-such-charset"}, {2, ""}, {42, "utf-8"}, {43, "utf-16le"}};
  const auto name = kNames.find(index);
  return name != kNames.end() ? name->second : "windows-1252";
}

WindowFixture::WindowFixture(bool with_code_sets) {
  QDir(root_.path()).mkpath(QStringLiteral("program"));
  QDir(root_.path()).mkpath(QStringLiteral("data"));
  if (!with_code_sets) return;
  std::string table = "[CharcterCoding]\n";
  for (int i = 0; i < kCodeSetEntries; ++i) {
    std::string value =
        i == 2 ? "broken,not-a-number,Broken"
               : CodeSetName(i) + "," + std::to_string(1000 + i) + ",Set " + std::to_string(i);
    table += std::to_string(i) + "=" + value + "\n";
  }
  WriteFile(ProgramFolder() + "/CharCodeSet.ini", table);
}

std::string WindowFixture::ProgramFolder() const {
  return (root_.path() + QStringLiteral("/program")).toStdString();
}

std::string WindowFixture::IniFile() const { return ProgramFolder() + "/Quonder.ini"; }

std::string WindowFixture::DataFolder() const {
  return (root_.path() + QStringLiteral("/data")).toStdString();
}

std::string WindowFixture::Ini(const std::string& section, const std::string& key,
                               const std::string& missing) const {
  std::string value;
  GetIniString(section, key, missing, value, IniFile());
  return value;
}

void WindowFixture::WriteData(const std::string& relative, const std::string& bytes) const {
  WriteFile(DataFolder() + "/" + relative, bytes);
}

void WindowFixture::WriteFile(const std::string& path, const std::string& bytes) {
  const QString name = QString::fromStdString(path);
  QDir().mkpath(QFileInfo(name).absolutePath());
  QFile file(name);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
    qFatal("cannot write %s", path.c_str());
  file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

std::unique_ptr<frmFind> WindowFixture::Open(std::vector<std::string> arguments) const {
  FindWindowStart start;
  start.program_folder = ProgramFolder();
  const WindowCommandLine command_line = ParseWindowCommandLine(arguments);
  if (command_line.action != WindowCommandLine::Action::kRun) qFatal("not a window's arguments");
  start.settings_file = command_line.settings_file;
  start.source_folder = command_line.source_folder;
  // Where no settings file may be kept beside the program, the user's configuration folder of
  // this fixture is used, never the real one.
  const QByteArray config_home = qgetenv("XDG_CONFIG_HOME");
  qputenv("XDG_CONFIG_HOME", ConfigHome().c_str());
  auto window = std::make_unique<frmFind>(start);
  const bool loaded = window->Form_Load();
  qputenv("XDG_CONFIG_HOME", config_home);
  if (!loaded) return nullptr;
  return window;
}

std::string WindowFixture::ConfigHome() const {
  return (root_.path() + QStringLiteral("/config")).toStdString();
}

struct RunGate::State {
  std::mutex mutex;
  std::condition_variable opened;
  int reads = 0;
  bool reached = false;
  bool open = false;
};
void RunGate::OpenState(State& state) {
  std::lock_guard<std::mutex> lock(state.mutex);
  state.open = true;
  state.opened.notify_all();
}
std::function<void()> RunGate::Probe(int at) const {
  return [state = state_, at] {
    std::unique_lock<std::mutex> lock(state->mutex);
    if (++state->reads != at) return;
    state->reached = true;
    state->opened.wait_for(lock, std::chrono::seconds(60), [&] { return state->open; });
  };
}
std::function<void()> RunGate::Release() const {
  return [state = state_] { OpenState(*state); };
}
RunGate::RunGate(frmFind& window, int at, Worker worker) : state_(std::make_shared<State>()) {
  if (worker == Worker::kFind) {
    if (auto* find = window.findChild<FindWorker*>())
      find->SetConditionsProbe(Probe(at), Release());
  } else if (auto* file_ops = window.findChild<FileOpsWorker*>()) {
    file_ops->SetConditionsProbe(Probe(at), Release());
  }
}
RunGate::RunGate(FindWorker& worker, int at) : state_(std::make_shared<State>()) {
  worker.SetConditionsProbe(Probe(at), Release());
}
bool RunGate::Reached() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->reached;
}
void RunGate::Open() { OpenState(*state_); }

bool ShowSettled(QWidget& window) {
  window.show();
  if (!QTest::qWaitForWindowExposed(&window)) return false;
  Settle(window);
  return true;
}

void Settle(const QWidget& window) {
  QRect last = window.frameGeometry();
  for (int quiet = 0, rounds = 0; quiet < 3 && rounds < 100; ++rounds) {
    QTest::qWait(20);
    const QRect now = window.frameGeometry();
    quiet = now == last ? quiet + 1 : 0;
    last = now;
  }
}

void SaveScreenshot(QWidget& window, const QString& name) {
  const QString folder = qEnvironmentVariable("QUONDER_SCREENSHOTS");
  if (folder.isEmpty()) return;
  QString tag = QString::fromLatin1(QTest::currentDataTag());
  tag.replace(QLatin1Char(' '), QLatin1Char('-'));
  const QRect screen = window.screen()->availableGeometry();
  const QRect shown = QRect(window.mapFromGlobal(screen.topLeft()), screen.size()) & window.rect();
  window.grab(shown).save(
      QStringLiteral("%1/%2-%3dpi-%4.png").arg(folder, name).arg(window.logicalDpiX()).arg(tag));
}

void TypeFindText(frmFind& window, const QString& text) {
  auto* box = Child<QComboBox>(window, "cboFind");
  box->lineEdit()->clear();
  QTest::keyClicks(box, text);
}

bool FindAndWait(frmFind& window, const MessageLog& log, const QString& text) {
  TypeFindText(window, text);
  const size_t before = log.messages().size();
  QTest::keyClick(Child<QComboBox>(window, "cboFind"), Qt::Key_Return);
  return QTest::qWaitFor([&] { return log.messages().size() > before && !window.Running(); },
                         20000);
}

QStringList Items(const QComboBox& box) {
  QStringList items;
  for (int i = 0; i < box.count(); ++i) items << box.itemText(i);
  return items;
}

QStringList Rows(const QAbstractItemModel& model) {
  QStringList rows;
  for (int row = 0; row < model.rowCount(); ++row) {
    QStringList cells;
    for (int column = 0; column < model.columnCount(); ++column) {
      cells << model.index(row, column).data().toString();
    }
    rows << cells.join('|');
  }
  return rows;
}

QString Enabled(const QWidget& window) {
  QStringList on;
  for (const char* name : {"cmdFind", "cmdReplace", "cmdRestore", "cmdCopy", "cmdXcopy"}) {
    if (Button(window, name)->isEnabled()) on << QString::fromLatin1(name + 3);
  }
  return on.join(' ');
}

QString Panel(const QWidget& window, int panel) {
  const auto* label =
      Child<QLabel>(window, QStringLiteral("stbPanel%1").arg(panel).toLatin1().constData());
  return label != nullptr ? label->text() : QStringLiteral("<no panel>");
}

void ChooseFromListMenu(frmFind& window, int row, const QString& text) {
  auto* list = Child<QTableView>(window, "ListView1");
  const QPoint at = list->visualRect(window.results()->index(row, 1)).center();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
  QTimer::singleShot(0, [text] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (menu == nullptr) return;
    for (QAction* action : menu->actions()) {
      if (action->text() == text) action->trigger();
    }
    menu->close();
  });
  emit list->customContextMenuRequested(at);
}

}  // namespace quonder::testing
