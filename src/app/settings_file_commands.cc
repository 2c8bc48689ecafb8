#include "app/settings_file_commands.h"

#include "app/file_dialog.h"
#include "app/message_box.h"
#include "core/settings/folder_fields.h"

namespace quonder {
namespace {

constexpr std::uint32_t kSettingsDialogFlags = kOfnFileMustExist | kOfnHideReadOnly;

class SettingsFileDialogs : public SettingsFileView {
 public:
  SettingsFileDialogs(QWidget* window, std::function<void()> load_settings)
      : window_(window), load_settings_(std::move(load_settings)) {}

  std::string ChooseSettingsFileToOpen(const std::string& folder) override {
    return ShowOpenDialog(window_, SettingsFileFilter(), kSettingsDialogFlags,
                          QString::fromStdString(folder), QStringLiteral("Select Setting File"), 0,
                          kViewList)
        .toStdString();
  }
  std::string ChooseSettingsFileToSave(const std::string& folder) override {
    return ShowSaveDialog(window_, SettingsFileFilter(), kSettingsDialogFlags,
                          QString::fromStdString(folder), QString(), QString(),
                          QStringLiteral("Select Setting File"), 0, kViewList)
        .toStdString();
  }
  void LoadSettings() override {
    if (load_settings_) load_settings_();
  }
  void ShowMessage(const std::string& prompt, const std::string& title, int style) override {
    quonder::ShowMessage(QString::fromStdString(prompt), QString::fromStdString(title), style);
  }

 private:
  QWidget* window_;
  std::function<void()> load_settings_;
};

}  // namespace

bool SelectSettingFile(QWidget* window, std::string& ini_file,
                       const std::function<void()>& load_settings) {
  SettingsFileDialogs dialogs(window, load_settings);
  return SelectSetting(dialogs, ini_file);
}

bool ExportSettingFile(QWidget* window, const std::string& ini_file) {
  SettingsFileDialogs dialogs(window, nullptr);
  return ExportSetting(dialogs, ini_file);
}

}  // namespace quonder
