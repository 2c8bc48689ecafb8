// The About window: the program's icon, title, version, description and legal lines, all taken
// from the version record when the window loads, and a button that starts a system
// information program. Shown non-modal by Help > About; one at a time.
//
// Threads: the GUI thread only.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

class QLabel;
class QPushButton;

namespace quonder {

// What the build knows about the program. Numbers are shown without leading zeros.
struct VersionRecord {
  QString title;  // the application title, "Quonder"
  int major = 0;
  int minor = 0;
  int revision = 0;
  QString file_description;
  QString comments;
  QString legal_copyright;  // the legal notice
  QString company_name;
  QString legal_trademarks;
};

// The record of this build: the version numbers come from the build's QUONDER_VERSION
// ("1.07.0001" gives 1, 7, 1; missing or non-numeric parts give 0).
VersionRecord ProgramVersionRecord();
// `version` split into major, minor and revision the same way.
void ParseVersion(const QString& version, int& major, int& minor, int& revision);

class frmAbout : public QDialog {
  Q_OBJECT

 public:
  // Fills every caption from `record` (the load step) and shows the icon of `main_window`
  // (the application's icon when it has none). `main_window` also becomes the parent. A line
  // at the bottom names `settings_file`, the settings file in use (none when it is empty).
  frmAbout(const VersionRecord& record, QWidget* main_window,
           const QString& settings_file = QString());

 private slots:
  void cmdOK_Click();
  void cmdSysInfo_Click();

 private:
  QLabel* picIcon;
  QLabel* lblTitle;
  QLabel* lblVersion;
  QLabel* lblDescription;
  QLabel* lblDisclaimer;
  QLabel* lblSettingsFile;
  QPushButton* cmdOK;
  QPushButton* cmdSysInfo;
};

// Help > About: shows the About window for this build, creating and filling it when none is
// open, else raising the open one. It closes (and is deleted) by OK or its close box.
frmAbout* ShowAboutWindow(QWidget* main_window, const QString& settings_file = QString());

// System information programs looked for on PATH, in order of preference.
QStringList SysInfoProgramNames();
// The full path of the first of them that PATH holds; "" when none.
QString FindSysInfoProgram();

// Starts the first system information program found, detached. When none is installed or it
// cannot be started, shows "現時点ではｼｽﾃﾑ情報を使用できません" in a plain box (OK only, no icon)
// titled `title`, owned by `owner`.
void StartSysInfo(QWidget* owner, const QString& title);

}  // namespace quonder
