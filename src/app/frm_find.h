// The main window "Quonder in the Folder": every control, the window state the commands share,
// start-up, layout, settings, the find run and the list commands. One class over several files:
//   frm_find.cc           lifecycle (Form_Load, Form_Resize, Form_Unload) and events
//   frm_find_layout.cc    the controls, menu and status bar, and their scale
//   frm_find_list.cc      the result list's number columns, context menu, copy, and Esc
//   frm_find_settings.cc  LoadSettings
//   frm_find_find.cc      cmdFind_Click and the worker that runs the find
//   frm_find_options.cc   the option controls and the result list's commands
//   frm_find_commands.cc  folder fields, settings-file, Help and About commands
//   frm_find_file_ops.cc  Replace, Restore, Copy Files and Copy Folders on their worker
//
// Threads: everything here runs on the GUI thread. The find run reads its conditions from
// snapshots published to the worker whenever a control changes.
#pragma once

#include <QElapsedTimer>
#include <QMainWindow>
#include <QPoint>
#include <QSize>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/design_layout.h"
#include "app/frm_find_controls.h"
#include "app/history_combo.h"
#include "app/line_preview.h"
#include "app/twips.h"
#include "core/fileops/file_ops_host.h"
#include "core/fileops/private_folder.h"
#include "core/search/find_conditions.h"
#include "core/search/find_run.h"
#include "core/search/result_rows.h"
#include "core/settings/find_settings.h"
#include "core/settings/save_notice.h"
#include "core/status.h"
#include "core/text/char_code.h"

class QHeaderView;
class QScrollArea;

namespace quonder {

class FileOpsWorker;
class FindWorker;
class ResultModel;

// What the window is started with.
struct FindWindowStart {
  std::string program_folder;  // holds CharCodeSet.ini
  // The settings file named on the command line; "" for the default place
  // (core/settings/settings_location.h).
  std::string settings_file;
  // A folder named on the command line (absolute, no %NAME% that would expand): Source Folder
  // shows it in place of the settings file's, which stays as it is until a command stores
  // the conditions. "" for the settings file's.
  std::string source_folder;
};

class frmFind : public QMainWindow, private FrmFindControls {
  Q_OBJECT

 public:
  explicit frmFind(FindWindowStart start, QWidget* parent = nullptr);
  // Stops and joins a run or command still going and, when the window was not closed first,
  // unloads it as a close does (the backup folder goes).
  ~frmFind() override;

  // Start-up. False when the program must end: the code set table could not be loaded, the
  // message has been shown and the window closed (the backup folder is gone).
  bool Form_Load();

  // True while a find run is going.
  bool Running() const;
  // True while Replace, Restore or a copy command is going.
  bool FileOpRunning() const;
  ResultModel* results() const { return model_; }

  // Window state shared by the commands (units as the settings file keeps them).
  int32_t lngMinHeight = 0;  // twips, outer height; 0 until LoadSettings
  std::string strIniFile;
  std::string strEditor;
  int32_t lngMaxSize = 0;  // bytes; 0 no limit
  int32_t lngExtBehavior = 0;
  std::string strCoding;
  std::string strLineFeedCode = "\r\n";
  std::string strBackupFolder;
  int32_t lngFindHistoryCnt = kDefaultHistoryCapacity;
  int32_t lngReplaceHistoryCnt = kDefaultHistoryCapacity;
  int32_t lngExtentionsHistoryCnt = kDefaultHistoryCapacity;
  std::string strSourceFolder;
  std::string strCopyFolder;
  int32_t lngCompareMode = 0;
  bool blnIgnoreCase = false;
  int32_t lngFileCounter = 0;
  int64_t lngFindCounter = 0;
  int32_t lngFoundFiles = 0;
  std::vector<CharCodeEntry> CharCodeSets;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Margin the list keeps to the client area's right and bottom edges.
  static constexpr int kListMarginTwips = 90;
  // The designed top of the list: the option frames and the list's buttons lie above it.
  static constexpr int kListTopTwips = 4335;

  // frm_find_layout.cc
  void BuildControls();
  void BuildFileSettings(QWidget* client);
  void BuildFindSettings(QWidget* client);
  void BuildResultList(QWidget* form, QWidget* client);
  void BuildMenu();
  void BuildStatusBar();
  void CreatePanels();
  void SetTabOrder();
  void ConnectHandlers();
  void ApplyScale();
  int DefaultClientHeight() const;
  int DesignedMinWidth() const;
  int ListHeight(int rows) const;
  void WatchScreenDpi();
  void Rescale();
  void SetPanelWidths();

  // frm_find_list.cc
  int RowHeight() const;
  QHeaderView* MakeRowHeader();
  void ClearList();
  void BuildListCommands();
  void WidenNumberColumns(int first, int last);
  void ShowListMenu(const QPoint& position);
  void CopySelectedRows();

  // frm_find.cc
  void Form_Resize();
  void Form_Unload();
  void mnuFileExit_Click();
  void LayoutList();
  void ScheduleWindowSizeWrite();
  void FlushWindowSizeWrite();
  void WriteWindowSize();
  double KeptTwips(std::optional<int32_t> stored, int pixels, bool horizontal) const;
  void CheckFrameKnown();

  // frm_find_settings.cc
  void LoadSettings();
  // The settings as the controls and window fields hold them now.
  FindSettings SettingsFromControls() const;
  // Every write of the settings file goes through these: the path to write (creating its
  // folder on the first write where that is ours to make), one key, and the one-time notice
  // of a failed write (status panel 1 and stderr).
  const std::string& SettingsFileForWriting();
  bool WriteSetting(const char* section, const char* key, const std::string& value);
  // Several keys of one section in one rewrite of the settings file.
  bool WriteSettings(const char* section,
                     const std::vector<std::pair<std::string, std::string>>& values);
  void NoteSettingsWrite(const Status& status);
  // A failure not worth a message box, in panel 1: the panel is narrow and shows the start of
  // the message, its tool tip holds the whole.
  void ShowPanelNote(const QString& message);
  void TellSettingsProblem(const std::string& message);
  void ApplyWindowSize(const WindowStatus& status);
  void ApplyColumnWidths(const WindowStatus& status);
  void WorkOutMinHeight();

  // frm_find_find.cc
  void cmdFind_Click();
  void StoreFindConditions();
  void SetRunControls(bool running);
  void OnRowsReady(const ResultRows& batch);
  void OnStatusText(int panel, const QString& text);
  void OnFindFinished(const Status& status, const FindRunResult& result);
  std::shared_ptr<const FindConditions> CurrentConditions();
  void PublishConditions();

  // frm_find_options.cc
  void cboExtBehavior_Click();
  void chkIgnoreCase_Click();
  void chkRegExp_Click();
  void chkWordOnly_Click();
  void optCrLf_Click();
  void optCr_Click();
  void optLf_Click();
  void cboCoding_Click();
  void txtMaxSize_Change();
  void txtMaxSize_Validate();
  void cboFind_Change();
  void cmdStop_Click();
  void cmdSelectAll_Click();
  void SelectAllRows();
  void cmdOpen_Click();
  void ListView1_DblClick();
  bool ListView1_KeyDown(int key, Qt::KeyboardModifiers modifiers);
  bool ShowRowToolTip(QEvent* event);
  bool ShowRowTip();
  void OnRowTipReady();
  LinePreviewer::Request LineRequest(size_t row) const;
  void CopyPendingLine();

  // frm_find_commands.cc
  void cmdReplace_Click();
  void cmdRestore_Click();
  void cmdCopy_Click();
  void cmdXcopy_Click();
  void cmdSelectSourceFolder_Click();
  void cmdSelectCopyFolder_Click();
  void txtSourceFolder_Validate();
  void txtCopyFolder_Validate();
  void EnableFolderDrops();
  void mnuFileSelectSetting_Click();
  void mnuFileExportSetting_Click();
  void mnuHelpHelp_Click();
  void mnuHelpQuonder_Click();

  // frm_find_file_ops.cc
  void CreateFileOpsWorker();
  bool ConfirmSourceFolder(const std::string& reference, const QString& what,
                           const QString& action);
  std::string RowsSourceFolder() const;
  void StartFileOp(std::function<void(FileOpsHost&)> job);
  void OnFileOpFinished();
  void StopFileOpAndWait();
  std::shared_ptr<const FileOpsConditions> CurrentFileOpsConditions();
  void PublishFileOpsConditions();
  std::vector<size_t> SelectedRowIndexes() const;

  FindWindowStart start_;
  DesignLayout design_;  // every control's designed place
  TwipsScale twips_;     // the scale the window is laid out with
  // Holds every control above the list at its designed place; it scrolls when the window is
  // smaller than the design (a large font on a small screen).
  QScrollArea* form_area_ = nullptr;
  bool design_applied_ = false;
  QMetaObject::Connection dpi_connection_;  // to the current screen's DPI changes
  bool window_size_write_pending_ = false;
  QTimer* size_write_timer_ = nullptr;  // restarted by each event of one change of size
  QElapsedTimer since_size_write_;      // since WindowSize was last written
  ResultModel* model_ = nullptr;
  FindWorker* worker_ = nullptr;
  FileOpsWorker* file_ops_ = nullptr;
  // The window's own backup folder below TEMP (strBackupFolder holds its path), deleted when
  // the window closes.
  PrivateFolder backup_folder_;
  // The source folder (expanded) that the last replace with backup copied its files from.
  std::string backup_source_folder_;
  // The states Replace, Restore, Copy Files and Copy Folders take when the file command in
  // hand ends (FileOpsCommand order); the command changes them as it goes.
  bool file_op_enabled_after_[4] = {};
  std::vector<QMetaObject::Connection> file_op_connections_;  // live while the command runs
  HistoryCombo find_history_{nullptr};
  HistoryCombo replace_history_{nullptr};
  HistoryCombo extentions_history_{nullptr};
  std::shared_ptr<const FindConditions> published_;  // the last snapshot handed to the run
  FindConditions run_conditions_;  // as the last run started: what its rows were found with
  LinePreviewer* previewer_ = nullptr;
  std::optional<LinePreviewer::Request> copy_line_;  // Copy Line waiting for its line
  // Where the last tool tip was asked for (viewport and screen), for showing a tip made later.
  QPoint tip_position_;
  QPoint tip_global_position_;
  QWidget* panel_row_ = nullptr;  // holds the five status panels
  // Outer sizes are asked for before the window is shown, when its frame is not known yet;
  // they are applied again once it is (-1: keep that measure).
  QSize pending_outer_size_{-1, -1};
  bool frame_known_ = false;
  bool shown_ = false;
  bool restore_enabled_before_run_ = false;
  bool unloaded_ = false;
  SaveNotice save_notice_;
  // The default settings file while its folder may still have to be made (at the first
  // write); "" once done, and for a file named on the command line.
  std::string unmade_settings_file_;
};

}  // namespace quonder
