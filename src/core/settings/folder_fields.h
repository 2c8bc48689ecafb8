// The rules of the two folder fields (source folder, copy folder) and of the two settings-file
// commands of the File menu, kept apart from the toolkit. The window supplies its text box,
// folder browser, file dialogs and message box through the small interfaces below.
//
// A folder value is kept in the form the user gave it, %NAME% references included; it is
// expanded only to check it and to use it.
//
// Threads: everything here runs on the window's thread, inside one command handler.
#pragma once

#include <string>
#include <vector>

namespace quonder {

inline constexpr char kFolderPathNotCorrect[] = "Folder Path is Not Correct!!";

// The window side of one folder field.
class FolderFieldView {
 public:
  virtual ~FolderFieldView() = default;

  // Replaces the text of the field's text box.
  virtual void SetBoxText(const std::string& text) = 0;
  // Runs the folder browser preselecting `start` (already expanded; may be empty) and returns
  // the chosen folder, `start` itself when the user cancels, "" when the browser failed.
  virtual std::string BrowseForFolder(const std::string& start) = 0;
  // Shows a message to the user; the answer is not needed by any caller here.
  virtual void ShowMessage(const std::string& prompt, const std::string& title, int style) = 0;
};

// Accepts `path` only when, expanded, it names an existing folder: then `target` and the box's
// text both become `path` as given (not expanded) and the result is true. Otherwise the
// "Folder Path is Not Correct!!" alarm is shown, box and target keep their values, and the
// result is false. An empty path is always rejected.
bool ApplyFolderPath(const std::string& path, FolderFieldView& box, std::string& target);

// Focus leaving the text box. `value` (the field's window state) takes `box_text` whatever the
// outcome, so the next command sees what was typed; the result says whether the path passed.
// On false the caller keeps the focus in the box (the message has been shown).
bool ValidateFolderField(const std::string& box_text, FolderFieldView& box, std::string& value);

// The field's "..." button (and a double click on its box): browses from the expanded `value`
// and applies the choice. A cancelled browse returns its start folder, so an existing folder
// stays selected but is now written out expanded; an empty or wrong value is rejected.
bool BrowseFolderField(FolderFieldView& box, std::string& value);

// Items dropped from a file manager, in the order they came. Only the first one counts; an
// empty list is ignored (false, no message). A dropped file is rejected like a wrong path.
bool DropOnFolderField(const std::vector<std::string>& dropped, FolderFieldView& box,
                       std::string& value);

// The window side of File > Select Setting and File > ExportSetting.
class SettingsFileView {
 public:
  virtual ~SettingsFileView() = default;

  // The open dialog for settings files, opened in `folder`; "" when cancelled or failed.
  virtual std::string ChooseSettingsFileToOpen(const std::string& folder) = 0;
  // The save dialog for settings files, opened in `folder`; it does not ask before an existing
  // file is chosen. "" when cancelled or failed.
  virtual std::string ChooseSettingsFileToSave(const std::string& folder) = 0;
  // Reads every setting from the settings file in use into the window.
  virtual void LoadSettings() = 0;
  virtual void ShowMessage(const std::string& prompt, const std::string& title, int style) = 0;
};

// File > Select Setting. On a choice, `ini_file` becomes the chosen path and the window reloads
// from it (missing keys give their defaults); the previous file is not written. Returns true
// when a file was chosen; on cancel nothing changes. A file that cannot serve as the settings
// file (settings_file_check.h: a document, an unreadable file) is refused with a "Find Text
// Alarm" that says why; `ini_file` stays and nothing is reloaded (false).
bool SelectSetting(SettingsFileView& view, std::string& ini_file);

// File > ExportSetting: copies the file on disk at `ini_file` over the chosen path without
// asking; `ini_file` stays in use. A copy that fails (target not writable, target being the
// file in use, source missing) shows a "Find Text Alarm" that names the target and returns
// false; nothing else happens. Cancel returns false quietly.
bool ExportSetting(SettingsFileView& view, const std::string& ini_file);

}  // namespace quonder
