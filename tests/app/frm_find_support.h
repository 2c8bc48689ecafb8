// Fixtures for the main window's tests: a program folder of its own (code set table, settings
// file), a data folder to search, and a message log in place of modal boxes.
#pragma once

#include <QApplication>
#include <QComboBox>
#include <QFont>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/find_worker.h"
#include "app/frm_find.h"
#include "app/message_box.h"
#include "support/scratch_folder.h"

namespace quonder::testing {

// Records every ShowMessage while alive and answers `answer` instead of showing a box.
class MessageLog {
 public:
  explicit MessageLog(int answer = kIdOk);
  ~MessageLog();
  MessageLog(const MessageLog&) = delete;
  MessageLog& operator=(const MessageLog&) = delete;

  const std::vector<MessageRequest>& messages() const { return *messages_; }
  // "title: prompt" per message, for whole-transcript comparisons.
  QStringList Transcript() const;
  void Clear() { messages_->clear(); }
  // Answers `answer` from now on.
  void Answer(int answer) { *answer_ = answer; }

 private:
  std::shared_ptr<std::vector<MessageRequest>> messages_;
  std::shared_ptr<int> answer_;
};

// Writes `name` in `folder` as an executable shell script running `body`; returns its path.
std::string WriteScript(const ScratchFolder& folder, const std::string& name,
                        const std::string& body);

// Charset names of the fixture's code set table; index 42 is the default.
inline constexpr int kCodeSetEntries = 45;
std::string CodeSetName(int index);

class WindowFixture {
 public:
  // A program folder with a code set table (unless !with_code_sets) and an empty data folder.
  explicit WindowFixture(bool with_code_sets = true);

  std::string ProgramFolder() const;
  std::string IniFile() const;  // Quonder.ini in the program folder
  // $XDG_CONFIG_HOME while the window starts: its settings go there when the program folder
  // cannot hold them.
  std::string ConfigHome() const;
  std::string DataFolder() const;

  void WriteIni(const std::string& text) const { WriteFile(IniFile(), text); }
  // A settings file that points the window at the data folder, its *.txt files only, with
  // `more` keys after.
  void PointAtData(const std::string& more = "") const {
    WriteIni("[FindSetting]\nSourceFolder=" + DataFolder() + "\nExtentions=txt\nExtBehavior=0\n" +
             more);
  }
  // A value of the settings file as the program reads it; `missing` when there is none.
  std::string Ini(const std::string& section, const std::string& key,
                  const std::string& missing = "<missing>") const;
  // Writes `bytes` to `relative` below the data folder, creating folders.
  void WriteData(const std::string& relative, const std::string& bytes) const;
  // f0.txt ... f<count-1>.txt below the data folder, each holding `bytes`.
  void WriteDataFiles(int count, const std::string& bytes) const {
    for (int i = 0; i < count; ++i) WriteData("f" + std::to_string(i) + ".txt", bytes);
  }
  // The bytes of `relative` below the data folder.
  std::string Data(const std::string& relative) const {
    return ReadFile(DataFolder() + "/" + relative);
  }
  // Writes `bytes` to `path`, creating its folders.
  static void WriteFile(const std::string& path, const std::string& bytes);
  static std::string ReadFile(const std::string& path) { return ReadBytes(path); }

  // A window after Form_Load (null when it failed); `arguments` as on the command line (they
  // must ask for the window, not for --help or a usage message).
  std::unique_ptr<frmFind> Open(std::vector<std::string> arguments = {}) const;

 private:
  QTemporaryDir root_;
};

// Holds a window's find runs (or its file commands) at their `at`-th read of the conditions
// until Open(), so that a test acts while a run is surely going and has searched fewer than
// `at` files. Make it after the window (it must be opened before the window joins its run); it
// opens itself at its end, when the window shuts the run down, and after 60 s in case a failed
// check left it shut.
class RunGate {
 public:
  enum class Worker { kFind, kFileOps };
  RunGate(frmFind& window, int at, Worker worker = Worker::kFind);
  // The same for a find worker of its own.
  RunGate(FindWorker& worker, int at);
  ~RunGate() { Open(); }
  RunGate(const RunGate&) = delete;
  RunGate& operator=(const RunGate&) = delete;

  void Open();
  // True once a run has reached the gate and waits there.
  bool Reached() const;

 private:
  struct State;
  std::function<void()> Probe(int at) const;
  std::function<void()> Release() const;
  static void OpenState(State& state);

  std::shared_ptr<State> state_;
};

// Sets the application's font to `points` (<= 0: leaves it) for one test, the desktop's again at
// its end.
class FontOverride {
 public:
  explicit FontOverride(int points) : saved_(QApplication::font()) {
    if (points <= 0) return;
    QFont font = saved_;
    font.setPointSize(points);
    QApplication::setFont(font);
  }
  ~FontOverride() { QApplication::setFont(saved_); }
  FontOverride(const FontOverride&) = delete;
  FontOverride& operator=(const FontOverride&) = delete;

 private:
  QFont saved_;
};

// With QUONDER_SCREENSHOTS set (scripts/layout-screenshots.sh), saves the part of `window` that
// lies on its screen's available geometry there as <name>-<DPI>dpi-<data tag>.png.
void SaveScreenshot(QWidget& window, const QString& name);

// Shows the window and waits until the window system has stopped changing its geometry
// (the frame arrives after the first showing, and the outer size is applied again then).
bool ShowSettled(QWidget& window);
// Waits until the window's geometry has stopped changing.
void Settle(const QWidget& window);

template <typename T>
T* Child(const QWidget& window, const char* name) {
  return window.findChild<T*>(QString::fromLatin1(name));
}
inline QPushButton* Button(const QWidget& window, const char* name) {
  return Child<QPushButton>(window, name);
}

// Types `text` into the find box, replacing what it held.
void TypeFindText(frmFind& window, const QString& text);
// Types `text` into the find box, presses Enter and waits until the run has ended and told its
// end in a message (false when it has not within 20 s).
bool FindAndWait(frmFind& window, const MessageLog& log, const QString& text);

// The items of a combo box, in order.
QStringList Items(const QComboBox& box);
// Every row of the result list as "No.|File Path|Line|Column|Found|Pointer".
QStringList Rows(const QAbstractItemModel& model);
// The commands among Find, Replace, Restore, Copy and Xcopy whose buttons are enabled, in that
// order, blank separated ("Find Copy Xcopy").
QString Enabled(const QWidget& window);
// Text of status panel 1 to 5.
QString Panel(const QWidget& window, int panel);
// Opens the result list's context menu at `row` and triggers the item `text`.
void ChooseFromListMenu(frmFind& window, int row, const QString& text);

}  // namespace quonder::testing
