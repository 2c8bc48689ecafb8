// The find run from the window: cmdFind_Click stores the conditions and starts the worker;
// rows and status texts come back in batches; the end restores the controls and reports.
//
// While a run goes, the commands that change files or the list (Replace, Restore, Copy Files,
// Copy Folders, Select Setting) are disabled as well as Find: they must not work on rows the
// run is still producing. The option controls stay live: each change publishes a new
// conditions snapshot that the run reads at its next point of use.
#include "app/frm_find.h"

#include <QThread>

#include <algorithm>

#include "app/find_worker.h"
#include "app/message_box.h"
#include "app/result_model.h"
#include "core/message_titles.h"
#include "core/search/find_run_summary.h"
#include "core/settings/find_settings.h"

namespace quonder {

bool frmFind::Running() const { return worker_->Running(); }

void frmFind::cmdFind_Click() {
  if (Running()) return;
  lngFileCounter = 0;
  stbPanels[2]->setText(QStringLiteral("0"));
  stbPanels[3]->setText(QStringLiteral("0"));

  if (cboFind->currentText().isEmpty()) {
    ShowMessage(QStringLiteral("Set Find data !"), QString::fromLatin1(kTitleFindTextAlarm),
                kMbOk | kMbIconExclamation);
    return;
  }

  setCursor(Qt::BusyCursor);
  SetRunControls(true);
  stbPanels[0]->setText(QStringLiteral("Start Finding"));

  StoreFindConditions();

  lngFindCounter = 0;
  lngFoundFiles = 0;
  ClearList();
  previewer_->Reset();

  std::shared_ptr<const FindConditions> conditions = CurrentConditions();
  run_conditions_ = *conditions;
  published_ = conditions;
  FindRunOptions options;
  options.threads = std::max(QThread::idealThreadCount(), 1);  // one worker per core
  if (!worker_->Start(conditions, options)) {
    // Only a run still going refuses to start, and Find is disabled then; end in order anyway.
    OnFindFinished(Status::Error(Status::Code::kInvalidArgument, "The find run could not start."),
                   FindRunResult());
  }
}

// The conditions go into the settings file before the run, so that the next start offers
// them again whatever the run does.
void frmFind::StoreFindConditions() {
  NoteSettingsWrite(StoreFindRunSettings(
      SettingsFromControls(), {&find_history_, lngFindHistoryCnt},
      {&extentions_history_, lngExtentionsHistoryCnt}, SettingsFileForWriting()));
}

void frmFind::SetRunControls(bool running) {
  if (running) restore_enabled_before_run_ = cmdRestore->isEnabled();
  cmdFind->setEnabled(!running);
  cmdReplace->setEnabled(!running && model_->rowCount() > 0);
  cmdRestore->setEnabled(!running && restore_enabled_before_run_);
  cmdCopy->setEnabled(!running);
  cmdXcopy->setEnabled(!running);
  mnuFileSelectSetting->setEnabled(!running);
}

void frmFind::OnRowsReady(const ResultRows& batch) { model_->AppendRows(batch); }

void frmFind::OnStatusText(int panel, const QString& text) {
  if (panel >= 1 && panel <= 5) stbPanels[panel - 1]->setText(text);
}

void frmFind::OnFindFinished(const Status& status, const FindRunResult& result) {
  lngFileCounter = result.file_counter;
  lngFindCounter = result.find_counter;
  lngFoundFiles = result.found_files;

  SetRunControls(false);
  stbPanels[0]->setText(QStringLiteral("Complete Finding"));
  unsetCursor();

  if (status.ok()) {
    // Under the count, one line for each kind of file the run left out or could not search.
    QString message = QStringLiteral("Found from %1 Files.").arg(lngFoundFiles);
    const ExtBehavior ext_behavior =
        published_ != nullptr ? published_->ext_behavior : run_conditions_.ext_behavior;
    for (const std::string& note : RunEndNotes(result, ext_behavior)) {
      message += QLatin1Char('\n') + QString::fromStdString(note);
    }
    ShowMessage(message, QString::fromLatin1(kTitleFindText), kMbOk | kMbIconInformation);
  } else {
    ShowMessage(QString::fromStdString(status.message()), QString::fromLatin1(kTitleFindTextAlarm),
                kMbOk | kMbIconStop);
  }
  ListView1->setFocus();
}

// The conditions as the controls and fields hold them now. The find text of a run never
// becomes empty: while the box is cleared mid-run, the run keeps the last text it had.
std::shared_ptr<const FindConditions> frmFind::CurrentConditions() {
  auto conditions = std::make_shared<FindConditions>();
  ApplyFindSettings(SettingsFromControls(), *conditions);
  conditions->find_text = cboFind->currentText().toStdU16String();
  if (conditions->find_text.empty() && published_ != nullptr) {
    conditions->find_text = published_->find_text;
  }
  conditions->extensions = cboExtentions->currentText().toStdU16String();
  return conditions;
}

void frmFind::PublishConditions() {
  if (worker_ == nullptr || !worker_->Running()) return;
  published_ = CurrentConditions();
  worker_->PublishConditions(published_);
}

}  // namespace quonder
