// The commands that change or copy files: Replace, Restore, Copy Files and Copy Folders. Each
// runs on the file-command worker (app/file_ops_worker.h); the window answers its questions,
// shows its status texts and carries out its window steps.
//
// While a command runs, Find, Select Setting and all four file commands are disabled: the
// command works on the rows of the list as they were when it started, and no other run may
// change the list or the files under it. Each command's own changes to those buttons are
// collected and applied when it ends. The option controls stay live: each change publishes
// a new conditions snapshot that the command reads at its next point of use, as a find run
// does. Closing the window stops the command and waits for it.
//
// Before it starts, a command asks when Source Folder no longer names the folder that its rows
// (or, for Restore, its backup) came from.
#include <QMetaObject>

#include "app/file_ops_worker.h"
#include "app/frm_find.h"
#include "app/message_box.h"
#include "app/result_model.h"
#include "core/fileops/backup.h"
#include "core/fileops/copy_files.h"
#include "core/fileops/file_common.h"
#include "core/fileops/replace_run.h"
#include "core/message_titles.h"
#include "core/settings/history.h"
#include "core/settings/ini_file_common.h"

namespace quonder {
namespace {

constexpr int kReplaceIndex = static_cast<int>(FileOpsCommand::kReplace);

QString Quoted(const std::string& folder) {
  return QStringLiteral("\"") + QString::fromStdString(folder) + QStringLiteral("\"");
}

}  // namespace

// The rows hold paths relative to the source folder as it is entered now. When that is no
// longer the folder the rows were found in (for Restore: the one the backup was taken from),
// the command would work on files the user never saw: ask first; Cancel changes nothing.
bool frmFind::ConfirmSourceFolder(const std::string& reference, const QString& what,
                                  const QString& action) {
  const std::string now = ExpandEnvVariables(strSourceFolder);
  if (reference.empty() || now == reference ||
      (IsInsideFolder(now, reference) && IsInsideFolder(reference, now))) {
    return true;
  }
  const QString prompt = what + QStringLiteral(" ") + Quoted(reference) +
                         QStringLiteral(",\r\nbut Source Folder is now ") + Quoted(now) +
                         QStringLiteral(".\r\n") + action + QStringLiteral(" ") + Quoted(now) +
                         QStringLiteral(" all the same?");
  return ShowMessage(prompt, QString::fromLatin1(kTitleFindText),
                     kMbOkCancel | kMbIconExclamation | kMbDefaultButton2) == kIdOk;
}

// The folder the rows were found in, expanded; empty when the list has no rows.
std::string frmFind::RowsSourceFolder() const {
  return model_->rowCount() > 0 ? ExpandEnvVariables(run_conditions_.source_folder) : "";
}

void frmFind::cmdReplace_Click() {
  if (Running() || FileOpRunning()) return;
  if (!ConfirmSourceFolder(RowsSourceFolder(), QStringLiteral("The list was found in"),
                           QStringLiteral("Replace in"))) {
    return;
  }
  if (chkEnableRestore->checkState() != Qt::Unchecked) {
    backup_source_folder_ = ExpandEnvVariables(strSourceFolder);
  }
  StartFileOp([rows = &model_->rows(), selected = SelectedRowIndexes()](FileOpsHost& host) {
    ReplaceSelectedRows(host, *rows, selected);
  });
}

void frmFind::cmdRestore_Click() {
  if (Running() || FileOpRunning()) return;
  if (!ConfirmSourceFolder(backup_source_folder_, QStringLiteral("The backup was taken from"),
                           QStringLiteral("Restore into"))) {
    return;
  }
  StartFileOp([](FileOpsHost& host) { Restore(host); });
}

void frmFind::cmdCopy_Click() {
  if (Running() || FileOpRunning()) return;
  if (!ConfirmSourceFolder(RowsSourceFolder(), QStringLiteral("The list was found in"),
                           QStringLiteral("Copy from"))) {
    return;
  }
  StartFileOp([rows = &model_->rows(), selected = SelectedRowIndexes()](FileOpsHost& host) {
    CopyToCopyFolder(host, *rows, selected, /*keep_structure=*/false, kCopyFilesSuffix);
  });
}

void frmFind::cmdXcopy_Click() {
  if (Running() || FileOpRunning()) return;
  if (!ConfirmSourceFolder(RowsSourceFolder(), QStringLiteral("The list was found in"),
                           QStringLiteral("Copy from"))) {
    return;
  }
  StartFileOp([rows = &model_->rows(), selected = SelectedRowIndexes()](FileOpsHost& host) {
    CopyToCopyFolder(host, *rows, selected, /*keep_structure=*/true, kCopyFoldersSuffix);
  });
}

bool frmFind::FileOpRunning() const { return file_ops_->Running(); }

void frmFind::CreateFileOpsWorker() {
  FileOpsWorker::WindowCalls calls;
  calls.show_message = [](const QString& prompt, const QString& title, int style) {
    return ShowMessage(prompt, title, style);
  };
  calls.set_busy = [this](bool busy) {
    if (busy) {
      setCursor(Qt::BusyCursor);
    } else {
      unsetCursor();
    }
  };
  calls.set_command_enabled = [this](FileOpsCommand command, bool enabled) {
    file_op_enabled_after_[static_cast<int>(command)] = enabled;
  };
  calls.focus_result_list = [this] { ListView1->setFocus(); };
  calls.write_setting = [this](const std::string& key, const std::string& value) {
    WriteSetting(kFindSettingSection, key.c_str(), value);
  };
  calls.add_replace_history = [this] {
    NoteSettingsWrite(AddToHistory(lngReplaceHistoryCnt, replace_history_, "ReplaceHistory",
                                   SettingsFileForWriting()));
    return CurrentFileOpsConditions();
  };
  file_ops_ = new FileOpsWorker(std::move(calls), this);
  connect(file_ops_, &FileOpsWorker::statusText, this, &frmFind::OnStatusText);
  connect(file_ops_, &FileOpsWorker::finished, this, &frmFind::OnFileOpFinished);
}

// The job reads the model's rows on the command's thread. They stay as they are until it
// ends: only a find run changes them, and Find is disabled meanwhile.
void frmFind::StartFileOp(std::function<void(FileOpsHost&)> job) {
  QPushButton* const commands[4] = {cmdReplace, cmdRestore, cmdCopy, cmdXcopy};
  for (int i = 0; i < 4; ++i) {
    file_op_enabled_after_[i] = commands[i]->isEnabled();
    commands[i]->setEnabled(false);
  }
  cmdFind->setEnabled(false);
  mnuFileSelectSetting->setEnabled(false);

  const auto publish = [this] { PublishFileOpsConditions(); };
  auto& live = file_op_connections_;
  live.push_back(connect(cmdStop, &QPushButton::clicked, file_ops_, &FileOpsWorker::Stop));
  // What the option handlers do to Replace while no command runs holds for its end state.
  live.push_back(connect(chkRegExp, &QCheckBox::stateChanged, this, [this] {
    file_op_enabled_after_[kReplaceIndex] = false;
    PublishFileOpsConditions();
  }));
  live.push_back(connect(cboFind, &QComboBox::editTextChanged, this, [this] {
    if (chkRegExp->checkState() != Qt::Unchecked) file_op_enabled_after_[kReplaceIndex] = false;
    PublishFileOpsConditions();
  }));
  live.push_back(connect(chkIgnoreCase, &QCheckBox::stateChanged, this, publish));
  live.push_back(connect(chkEnableRestore, &QCheckBox::stateChanged, this, publish));
  live.push_back(connect(cboReplace, &QComboBox::editTextChanged, this, publish));
  live.push_back(connect(cboCoding, &QComboBox::currentIndexChanged, this, publish));
  live.push_back(connect(txtSourceFolder, &QLineEdit::editingFinished, this, publish));
  live.push_back(connect(txtCopyFolder, &QLineEdit::editingFinished, this, publish));

  if (!file_ops_->Start(CurrentFileOpsConditions(), std::move(job))) OnFileOpFinished();
}

void frmFind::OnFileOpFinished() {
  for (const QMetaObject::Connection& connection : file_op_connections_) disconnect(connection);
  file_op_connections_.clear();
  QPushButton* const commands[4] = {cmdReplace, cmdRestore, cmdCopy, cmdXcopy};
  for (int i = 0; i < 4; ++i) commands[i]->setEnabled(file_op_enabled_after_[i]);
  cmdFind->setEnabled(true);
  mnuFileSelectSetting->setEnabled(true);
  // The hovered line's text is read again from the file after a command that may have
  // changed it.
  previewer_->Reset();
}

void frmFind::StopFileOpAndWait() {
  file_ops_->Shutdown();
  for (const QMetaObject::Connection& connection : file_op_connections_) disconnect(connection);
  file_op_connections_.clear();
}

// The conditions as the controls and fields hold them now.
std::shared_ptr<const FileOpsConditions> frmFind::CurrentFileOpsConditions() {
  auto conditions = std::make_shared<FileOpsConditions>();
  conditions->source_folder = strSourceFolder;
  conditions->copy_folder = strCopyFolder;
  conditions->backup_folder = strBackupFolder;
  conditions->coding = strCoding;
  conditions->reg_exp = chkRegExp->checkState() != Qt::Unchecked;
  conditions->ignore_case = blnIgnoreCase;
  conditions->enable_restore = chkEnableRestore->checkState() != Qt::Unchecked;
  conditions->find_text = cboFind->currentText().toStdU16String();
  conditions->replace_text = cboReplace->currentText().toStdU16String();
  return conditions;
}

void frmFind::PublishFileOpsConditions() {
  if (FileOpRunning()) file_ops_->PublishConditions(CurrentFileOpsConditions());
}

std::vector<size_t> frmFind::SelectedRowIndexes() const {
  const std::vector<int> rows = SelectedRows(*ListView1->selectionModel());
  return std::vector<size_t>(rows.begin(), rows.end());
}

}  // namespace quonder
