// Commands whose controls are in place but whose work is not available yet: the folder
// browsers and drops, and the settings-file and help menu items.
// Each does nothing, so no click can touch a file before its command exists.
#include "app/frm_find.h"

namespace quonder {

void frmFind::cmdSelectSourceFolder_Click() {}

void frmFind::cmdSelectCopyFolder_Click() {}

// Leaving a folder box: the field takes what was typed, so the next command sees it. Checking
// that it names an existing folder comes with the folder browser.
void frmFind::txtSourceFolder_Validate() {
  strSourceFolder = txtSourceFolder->text().toStdString();
  PublishConditions();
}

void frmFind::txtCopyFolder_Validate() { strCopyFolder = txtCopyFolder->text().toStdString(); }

// Folders dropped from a file manager are not taken yet; the boxes keep Qt's text drops.
void frmFind::EnableFolderDrops() {}

void frmFind::mnuFileSelectSetting_Click() {
  if (Running()) return;
}

void frmFind::mnuFileExportSetting_Click() {}

void frmFind::mnuHelpHelp_Click() {}

void frmFind::mnuHelpQuonder_Click() {}

}  // namespace quonder
