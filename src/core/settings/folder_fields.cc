#include "core/settings/folder_fields.h"

#include "core/fileops/file_common.h"
#include "core/fileops/file_ops_util.h"
#include "core/message_styles.h"
#include "core/message_titles.h"
#include "core/settings/settings_file_check.h"

namespace quonder {

bool ApplyFolderPath(const std::string& path, FolderFieldView& box, std::string& target) {
  if (FolderExists(ExpandEnvVariables(path))) {
    target = path;
    box.SetBoxText(path);
    return true;
  }
  box.ShowMessage(kFolderPathNotCorrect, kTitleFindTextAlarm, kStyleWarning);
  return false;
}

bool ValidateFolderField(const std::string& box_text, FolderFieldView& box, std::string& value) {
  value = box_text;
  // The state already holds the text; the check only decides about the focus, so the accepted
  // path goes to a scratch string.
  std::string scratch;
  return ApplyFolderPath(value, box, scratch);
}

bool BrowseFolderField(FolderFieldView& box, std::string& value) {
  const std::string start = ExpandEnvVariables(value);
  const std::string chosen = box.BrowseForFolder(start);
  return ApplyFolderPath(chosen, box, value);
}

bool DropOnFolderField(const std::vector<std::string>& dropped, FolderFieldView& box,
                       std::string& value) {
  if (dropped.empty()) return false;
  return ApplyFolderPath(dropped.front(), box, value);
}

bool SelectSetting(SettingsFileView& view, std::string& ini_file) {
  const std::string chosen = view.ChooseSettingsFileToOpen(GetParentFolderName(ini_file));
  if (chosen.empty()) return false;
  if (const Status usable = CheckSettingsFile(chosen); !usable.ok()) {
    view.ShowMessage(usable.message() + "\r\nThe settings file in use stays\r\n" + ini_file,
                     kTitleFindTextAlarm, kStyleWarning);
    return false;
  }
  ini_file = chosen;
  view.LoadSettings();
  return true;
}

bool ExportSetting(SettingsFileView& view, const std::string& ini_file) {
  const std::string chosen = view.ChooseSettingsFileToSave(GetParentFolderName(ini_file));
  if (chosen.empty()) return false;
  std::string reason;
  if (!FileExists(ini_file)) {
    reason = "The settings file in use has not been written yet.";
  } else if (SameFile(ini_file, chosen)) {
    // Caught here, under any other name (a link, "./", another spelling), for a clearer
    // message than the copy's own refusal.
    reason = "That is the settings file in use.";
  } else if (std::string why; !CopyFile(ini_file, chosen, /*overwrite=*/true, &why)) {
    reason = "The target cannot be written: " + why + ".";
  }
  if (reason.empty()) return true;
  view.ShowMessage("Cannot export the settings to\r\n" + chosen + "\r\n" + reason,
                   kTitleFindTextAlarm, kStyleStop);
  return false;
}

}  // namespace quonder
