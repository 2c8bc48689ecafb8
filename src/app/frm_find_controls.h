// The controls of the main window, named as the window's commands know them. Created and
// placed by frmFind::BuildControls (frm_find_layout.cc); owned by the Qt parent chain.
#pragma once

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTableView>

namespace quonder {

struct FrmFindControls {
  // Frame "File Setting".
  QGroupBox* fraFileSettings = nullptr;
  QLabel* lblSourceFolder = nullptr;
  QLineEdit* txtSourceFolder = nullptr;
  QPushButton* cmdSelectSourceFolder = nullptr;
  QLabel* lblMaxSize = nullptr;
  QLineEdit* txtMaxSize = nullptr;
  QCheckBox* chkSubFolder = nullptr;
  QLabel* Label1 = nullptr;
  QComboBox* cboCoding = nullptr;
  QGroupBox* fraExention = nullptr;
  QComboBox* cboExtentions = nullptr;
  QComboBox* cboExtBehavior = nullptr;
  QLabel* lblCopyFolder = nullptr;
  QLineEdit* txtCopyFolder = nullptr;
  QPushButton* cmdSelectCopyFolder = nullptr;

  // Frame "Find Setting".
  QGroupBox* fraFindSettings = nullptr;
  QLabel* lblFind = nullptr;
  QComboBox* cboFind = nullptr;
  QPushButton* cmdFind = nullptr;
  QCheckBox* chkRegExp = nullptr;
  QCheckBox* chkIgnoreCase = nullptr;
  QGroupBox* fraLineFeed = nullptr;
  QRadioButton* optCrLf = nullptr;
  QRadioButton* optCr = nullptr;
  QRadioButton* optLf = nullptr;
  QCheckBox* chkEnableRestore = nullptr;
  QPushButton* cmdStop = nullptr;
  QCheckBox* chkWordOnly = nullptr;
  QLineEdit* txtSeparator = nullptr;
  QPushButton* cmdReplace = nullptr;
  QLabel* lblReplace = nullptr;
  QComboBox* cboReplace = nullptr;
  QPushButton* cmdRestore = nullptr;

  // The button row, the result list and the status bar.
  QPushButton* cmdSelectAll = nullptr;
  QPushButton* cmdOpen = nullptr;
  QPushButton* cmdCopy = nullptr;
  QPushButton* cmdXcopy = nullptr;
  QTableView* ListView1 = nullptr;
  QStatusBar* stbBottom = nullptr;
  QLabel* stbPanels[5] = {};  // panels 1 to 5 at index 0 to 4

  // Menu.
  QMenu* mnuFile = nullptr;
  QAction* mnuFileSelectSetting = nullptr;
  QAction* mnuFileExportSetting = nullptr;
  QAction* Nop1 = nullptr;
  QAction* mnuFileExit = nullptr;
  QMenu* mnuHelp = nullptr;
  QAction* mnuHelpHelp = nullptr;
  QAction* mnuHelpQuonder = nullptr;
};

}  // namespace quonder
