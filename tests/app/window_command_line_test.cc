// The window program's command line: options, the settings file, and a folder to search, which
// is told from a settings file by what is on disk.
#include <unistd.h>
#include <QByteArrayList>
#include <QTest>

#include <filesystem>
#include <string>
#include <vector>

#include "app/window_command_line.h"
#include "support/scoped_env.h"
#include "support/scratch_folder.h"

namespace quonder::testing {
namespace {

// Runs in `folder` while alive, in the folder it started in again at its end.
class ScopedCurrentFolder {
 public:
  explicit ScopedCurrentFolder(const std::string& folder)
      : saved_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
  }
  ~ScopedCurrentFolder() { std::filesystem::current_path(saved_); }
  ScopedCurrentFolder(const ScopedCurrentFolder&) = delete;
  ScopedCurrentFolder& operator=(const ScopedCurrentFolder&) = delete;

 private:
  std::filesystem::path saved_;
};

// What the command line asks for, as one line.
QByteArray Outcome(const WindowCommandLine& parsed) {
  const auto bytes = [](const std::string& text) { return QByteArray::fromStdString(text); };
  switch (parsed.action) {
    case WindowCommandLine::Action::kHelp:
      return "help";
    case WindowCommandLine::Action::kVersion:
      return "version";
    case WindowCommandLine::Action::kUsageError:
      return "error:" + bytes(parsed.error);
    case WindowCommandLine::Action::kRun:
      break;
  }
  if (!parsed.folder_refusal.empty()) return "refused:" + bytes(parsed.folder_refusal);
  if (!parsed.settings_refusal.empty()) {
    return "not used:" + bytes(parsed.settings_refusal) + " file:" + bytes(parsed.settings_file);
  }
  if (!parsed.source_folder.empty()) {
    return "folder:" + bytes(parsed.source_folder) + " file:" + bytes(parsed.settings_file);
  }
  return "file:" + bytes(parsed.settings_file);
}

}  // namespace

class WindowCommandLineTest : public QObject {
  Q_OBJECT

 private slots:
  // DIR in a row stands for the folder the rows run in (the current folder, no links in its
  // path): data/sub, link -> data, deep-link -> data/sub, settings.ini, file-link ->
  // settings.ini, dangling -> nowhere, and folders named with '%' and with bytes that are no
  // UTF-8. $QUONDER_TEST_SET is "/elsewhere"; $QUONDER_TEST_UNSET is not set.
  void Parse_data() {
    QTest::addColumn<QByteArrayList>("arguments");
    QTest::addColumn<QByteArray>("outcome");
    const auto row = [](const char* name, QByteArrayList arguments, const QByteArray& outcome) {
      QTest::newRow(name) << arguments << outcome;
    };
    row("none", {}, "file:");
    row("missing relative path", {"my settings.ini"}, "file:my settings.ini");
    row("missing absolute path", {"DIR/missing.ini"}, "file:DIR/missing.ini");
    row("quoted by a launcher", {"\"a b.ini\""}, "file:a b.ini");
    row("after --", {"--", "-odd.ini"}, "file:-odd.ini");
    row("Qt's option", {"-style", "fusion", "x.ini"}, "file:x.ini");
    row("help", {"x.ini", "--help"}, "help");
    row("version", {"--version"}, "version");
    row("unknown option", {"--versio"}, "error:unknown option --versio");
    row("dash alone", {"-"}, "error:unknown option -");
    row("two paths", {"my", "settings.ini"},
        "error:only one FOLDER or SETTINGS_FILE can be given (quote a path that holds blanks)");
    row("two folders", {"DIR/data", "DIR/data/sub"},
        "error:only one FOLDER or SETTINGS_FILE can be given (quote a path that holds blanks)");

    // A file keeps its meaning, relative paths included; so does a link to no folder.
    row("existing file", {"settings.ini"}, "file:settings.ini");
    row("link to a file", {"file-link"}, "file:file-link");
    row("dangling link", {"dangling"}, "file:dangling");
    // A document ("Open With" on notes) would be written into: the default file serves.
    row("document", {"notes.txt"},
        "not used:\"notes.txt\" is not a settings file: it holds text but no [section] line, "
        "so it is no INI file; the default settings file is used instead file:");

    row("folder", {"DIR/data"}, "folder:DIR/data file:");
    row("relative folder", {"data/sub"}, "folder:DIR/data/sub file:");
    row("current folder", {"."}, "folder:DIR file:");
    row("dots and slashes", {"./data//sub/"}, "folder:DIR/data/sub file:");
    row("quoted folder", {"\"data\""}, "folder:DIR/data file:");
    row("folder after --", {"--", "data"}, "folder:DIR/data file:");
    row("folder with Qt's option", {"data", "-platform", "offscreen"}, "folder:DIR/data file:");
    // The link is the folder the user named; the run follows it.
    row("link to a folder", {"link"}, "folder:DIR/link file:");
    // ".." leaves the folder the link leads to, not the link's own folder.
    row("up from a link", {"deep-link/.."}, "folder:DIR/data file:");
    row("up in a path", {"data/sub/../sub"}, "folder:DIR/data/sub file:");

    // The field expands %NAME%: a folder whose name it would turn into another path is
    // refused; '%' that expand to nothing are the folder's own characters.
    row("percent alone", {"100% sure"}, "folder:DIR/100% sure file:");
    row("percent pair of no variable", {"%QUONDER_TEST_UNSET%"},
        "folder:DIR/%QUONDER_TEST_UNSET% file:");
    row("percent pair of a variable", {"%QUONDER_TEST_SET%"},
        "refused:the folder \"DIR/%QUONDER_TEST_SET%\" cannot be put in Source Folder: the field "
        "would read the %NAME% in it as an environment variable and search \"DIR//elsewhere\"");
    row("not UTF-8", {"bad\xff"},
        "refused:the folder \"DIR/bad\xff\" cannot be put in Source Folder: its path is not "
        "valid UTF-8");
  }

  void Parse() {
    QFETCH(QByteArrayList, arguments);
    QFETCH(QByteArray, outcome);
    ScratchFolder scratch;
    const std::string dir = std::filesystem::canonical(scratch.path()).string();
    namespace fs = std::filesystem;
    fs::create_directories(dir + "/data/sub");
    for (const char* folder :
         {"100% sure", "%QUONDER_TEST_UNSET%", "%QUONDER_TEST_SET%", "bad\xff"}) {
      fs::create_directory(dir + "/" + folder);
    }
    scratch.Write("settings.ini", "[FindSetting]\n");
    scratch.Write("notes.txt", "Call Ann.\n");
    fs::create_directory_symlink("data", dir + "/link");
    fs::create_directory_symlink("data/sub", dir + "/deep-link");
    fs::create_symlink("settings.ini", dir + "/file-link");
    fs::create_symlink("nowhere", dir + "/dangling");
    ScopedEnv env("QUONDER_TEST_SET", "/elsewhere");
    env.Unset("QUONDER_TEST_UNSET");
    ScopedCurrentFolder in_dir(dir);

    const QByteArray dir_bytes = QByteArray::fromStdString(dir);
    std::vector<std::string> args;
    for (QByteArray argument : arguments) {
      args.push_back(argument.replace("DIR", dir_bytes).toStdString());
    }
    QCOMPARE(Outcome(ParseWindowCommandLine(args)), outcome.replace("DIR", dir_bytes));
  }
};

}  // namespace quonder::testing

QTEST_MAIN(quonder::testing::WindowCommandLineTest)
#include "window_command_line_test.moc"
