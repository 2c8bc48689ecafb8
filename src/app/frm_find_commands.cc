// The folder fields (typed, browsed and dropped folders) and the settings-file and help menu
// items. The rules live in core/folder_fields.h; FolderField binds them to a box and its button.
#include "app/folder_field.h"
#include "app/frm_about.h"
#include "app/frm_find.h"
#include "app/settings_file_commands.h"

namespace quonder {
namespace {

FolderField* FieldOf(const QLineEdit* box) { return box->findChild<FolderField*>(); }

}  // namespace

void frmFind::cmdSelectSourceFolder_Click() {
  if (FolderField* field = FieldOf(txtSourceFolder)) field->Browse();
}

void frmFind::cmdSelectCopyFolder_Click() {
  if (FolderField* field = FieldOf(txtCopyFolder)) field->Browse();
}

// Leaving a folder box: the field takes what was typed, so the next command sees it. The
// check that it names an existing folder (keeping the focus on a wrong one) is FolderField's.
void frmFind::txtSourceFolder_Validate() {
  strSourceFolder = txtSourceFolder->text().toStdString();
  PublishConditions();
}

void frmFind::txtCopyFolder_Validate() { strCopyFolder = txtCopyFolder->text().toStdString(); }

// Binds both folder fields: the check on leaving the box, double click and dropped folders.
void frmFind::EnableFolderDrops() {
  if (FieldOf(txtSourceFolder) == nullptr) {
    new FolderField(
        FolderField::Role::kSource, txtSourceFolder, cmdSelectSourceFolder,
        [this] { return strSourceFolder; },
        [this](const std::string& value) {
          strSourceFolder = value;
          PublishConditions();
          PublishFileOpsConditions();
        });
  }
  if (FieldOf(txtCopyFolder) == nullptr) {
    new FolderField(
        FolderField::Role::kCopy, txtCopyFolder, cmdSelectCopyFolder,
        [this] { return strCopyFolder; },
        [this](const std::string& value) {
          strCopyFolder = value;
          PublishFileOpsConditions();
        });
  }
}

void frmFind::mnuFileSelectSetting_Click() {
  if (Running() || FileOpRunning()) return;
  SelectSettingFile(this, strIniFile, [this] { LoadSettings(); });
}

void frmFind::mnuFileExportSetting_Click() { ExportSettingFile(this, strIniFile); }

void frmFind::mnuHelpHelp_Click() { OpenReadme(QString::fromStdString(start_.program_folder)); }

void frmFind::mnuHelpQuonder_Click() { ShowAboutWindow(this, QString::fromStdString(strIniFile)); }

}  // namespace quonder
