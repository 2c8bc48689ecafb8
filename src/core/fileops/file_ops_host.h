// What the commands that change files (replace, backup and restore, copy) need from whoever
// drives them: the window, the CLI, a test. The core decides every step, text, counter and
// question; the host only shows, answers and remembers.
//
// Threads. Every method is called on the thread that runs the command. A window that runs a
// command on a worker thread must make ShowMessage wait for the user's answer on its own
// thread, and guard what it shares with the worker (the conditions, the stop flag).
//
// The commands call:
//  - Conditions() at each point of use: the source folder for every row, the charset when the
//    text codec is opened, the find text, modes and replacement at the start of the replace
//    loop and for every row. Return the values as they are now; a host without controls may
//    return the same snapshot each time. Must be cheap.
//  - StopRequested() once per selected row (before it in a copy or backup, after it in a
//    replace, and once between the backup and the replace) and ClearStopRequest() once at the
//    start of a replace or confirmed copy. Returning true ends the loop there; what is already
//    written stays written. Must be cheap (an atomic load).
//  - SetStatusText() for panel 1 (phase texts), 2 (the file in hand) and 5 (the rows passed).
//    Panel 5 is set once per selected row: a host may throttle what it shows; the last call
//    wins.
//  - ShowMessage() for confirmations and summaries: the texts, titles and styles are final
//    (line breaks are CR LF). Returns the id of the button chosen: 1 OK, 2 Cancel, 6 Yes, 7 No.
//  - The remaining methods carry out the window's part of a step (busy pointer, button states,
//    focus, settings writes, the replace history) at the moment the command reaches that step.
//    They do nothing by default, which is what a host without a window wants.
#pragma once

#include <memory>
#include <string>

#include "core/search/find_host.h"

namespace quonder {

// What the file commands read from the window at the moment of use.
struct FileOpsConditions {
  std::string source_folder;     // as entered; %NAME% references are expanded at each use
  std::string copy_folder;       // as entered; expanded at each use; written unexpanded
  std::string backup_folder;     // the backup's home: the window's private folder below TEMP
  bool literal_folders = false;  // the folders are used as given, without %NAME% expansion
  std::string coding = "utf-8";  // charset name of the code set table
  bool reg_exp = false;          // regular-expression mode (Found is escaped, pattern = find_text)
  bool ignore_case = false;      // for the regular expression
  bool enable_restore = false;   // back up the affected files before replacing
  std::u16string find_text;      // the pattern in regular-expression mode; unused in plain mode
  std::u16string replace_text;   // as entered; escape sequences are turned in regex mode only
};

// The commands whose enabled state the file commands change.
enum class FileOpsCommand { kReplace, kRestore, kCopy, kXcopy };

// Settings keys written by the file commands (section "FindSetting").
inline constexpr char kKeyEnableRestore[] = "EnableRestore";
inline constexpr char kKeyCopyFolder[] = "CopyFolder";

class FileOpsHost {
 public:
  virtual ~FileOpsHost() = default;

  virtual std::shared_ptr<const FileOpsConditions> Conditions() = 0;
  virtual bool StopRequested() = 0;
  virtual void ClearStopRequest() = 0;
  virtual void SetStatusText(StatusPanel panel, std::u16string text) = 0;
  virtual int ShowMessage(const std::u16string& prompt, const std::u16string& title, int style) = 0;

  // The busy mouse pointer on (true) or back to the default (false).
  virtual void SetBusy(bool /*busy*/) {}
  virtual void SetCommandEnabled(FileOpsCommand /*command*/, bool /*enabled*/) {}
  // The keyboard focus goes to the result list.
  virtual void FocusResultList() {}
  // Writes `value` (UTF-8, unescaped) as `key` of section "FindSetting" of the settings file.
  virtual void WriteSetting(const std::string& /*key*/, const std::string& /*value*/) {}
  // Puts the current replacement text at the top of the replace history; Conditions() called
  // after it returns the text the history box shows then.
  virtual void AddReplaceHistory() {}
};

}  // namespace quonder
