// The File menu's settings-file commands and Help > Help, over the real dialogs, message box
// and desktop. The rules themselves live in core/folder_fields.h.
//
// Threads: the GUI thread only.
#pragma once

#include <QString>

#include <functional>
#include <string>

class QWidget;

namespace quonder {

// File > Select Setting: the open dialog ("Select Setting File", settings-file filter, list
// view) in the folder of `ini_file`. On a choice `ini_file` becomes that path and then
// `load_settings` runs, reading every setting from it; on cancel nothing changes. Returns
// whether a file was chosen.
bool SelectSettingFile(QWidget* window, std::string& ini_file,
                       const std::function<void()>& load_settings);

// File > ExportSetting: the save dialog, same filter, title and folder, that does not ask
// before replacing; the file on disk at `ini_file` is copied over the choice. A failed copy
// is reported in a "Find Text Alarm" box; the program goes on. Returns whether it was copied.
bool ExportSettingFile(QWidget* window, const std::string& ini_file);

// "readme.txt" in `program_folder` (default: the folder of the running program).
QString ReadmePath(const QString& program_folder = QString());

// Help > Help: opens the read-me of `program_folder` (as ReadmePath) with the desktop's
// viewer. A missing file or a desktop that cannot open it gives no reaction.
void OpenReadme(const QString& program_folder = QString());

}  // namespace quonder
