// The File menu's settings-file commands, over the real dialogs and message box. The rules
// themselves live in core/settings/folder_fields.h.
//
// Threads: the GUI thread only.
#pragma once

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

}  // namespace quonder
