// The option controls, each keeping its window field in line (and the run's conditions with
// it), and the result list's commands: Stop, Select All, Open File, Enter, Ctrl+A, double
// click, and the hover preview of a row.
#include "app/frm_find.h"

#include <QHelpEvent>
#include <QToolTip>

#include <climits>
#include <cmath>
#include <optional>

#include "app/editor_launcher.h"
#include "app/find_worker.h"
#include "app/result_model.h"
#include "core/fileops/file_common.h"
#include "core/settings/setting_numbers.h"

namespace quonder {
namespace {

// The tip of a row whose line is still being read.
const QString kReadingTip = QStringLiteral("reading\u2026");

// The escapes that both boxes understand in regular-expression mode.
const QString& EscapeHelp() {
  static const QString help =
      QStringLiteral("\\\\-> \\, \\r -> CR, \\n -> LF, \\t -> TAB, \\v -> VTAB, ");
  return help;
}

}  // namespace

void frmFind::cboExtBehavior_Click() {
  lngExtBehavior = cboExtBehavior->currentIndex();
  PublishConditions();
}

void frmFind::chkIgnoreCase_Click() {
  blnIgnoreCase = chkIgnoreCase->checkState() == Qt::Checked;
  lngCompareMode = blnIgnoreCase ? 1 : 0;
  PublishConditions();
}

void frmFind::chkRegExp_Click() {
  if (chkRegExp->checkState() != Qt::Unchecked) {
    cboFind->setToolTip(EscapeHelp() + QStringLiteral("Escape ()$*+.[]?/^{}| with \\"));
    cboReplace->setToolTip(QStringLiteral("$1~9でパタン置換を行なえます。") + EscapeHelp() +
                           QStringLiteral("$$1~$$9 -> $1~$9"));
  } else {
    cboFind->setToolTip(
        QStringLiteral("改行を含む検索をする場合Regular Expressionをチェックしてください"));
    cboReplace->setToolTip(
        QStringLiteral("パタン置換を行なう場合Regular Expressionをチェックしてください"));
  }
  // The rows of the last run were found in the other mode: their Found cells no longer fit.
  cmdReplace->setEnabled(false);
  PublishConditions();
}

void frmFind::chkWordOnly_Click() {
  txtSeparator->setEnabled(chkWordOnly->checkState() != Qt::Unchecked);
  PublishConditions();
}

// The line feed codes are assigned as whole strings: GCC 12 warns falsely (-Wrestrict) when a
// string is assigned a literal shorter than its text, inlined in a release build.
void frmFind::optCrLf_Click() {
  strLineFeedCode = std::string("\r\n");
  PublishConditions();
}

void frmFind::optCr_Click() {
  strLineFeedCode = std::string("\r");
  PublishConditions();
}

void frmFind::optLf_Click() {
  strLineFeedCode = std::string("\n");
  PublishConditions();
}

void frmFind::cboCoding_Click() {
  const int index = cboCoding->currentIndex();
  if (index < 0 || index >= static_cast<int>(CharCodeSets.size())) return;
  strCoding = CharCodeSets[index].Name;
  cboCoding->setToolTip(QString::fromStdString(CharCodeSets[index].Description));
  PublishConditions();
}

// Kilobytes, fractions allowed; a text without a leading number means no limit. A count of
// bytes beyond the 32-bit range is capped.
void frmFind::txtMaxSize_Change() {
  lngMaxSize = RoundToInt32(LeadingNumber(txtMaxSize->text().toStdString()) * 1024.0);
  PublishConditions();
}

// Leaving the size box: a size that had to be capped shows the value in use, in whole
// kilobytes, so that the box never claims more than the run will search.
void frmFind::txtMaxSize_Validate() {
  const double typed_bytes = LeadingNumber(txtMaxSize->text().toStdString()) * 1024.0;
  if (std::fabs(typed_bytes) <= static_cast<double>(INT32_MAX)) return;
  txtMaxSize->setText(QString::number(std::trunc(lngMaxSize / 1024.0), 'f', 0));
}

// In plain mode the rows stay valid whatever the box holds (a replace works from each row's
// Found text), so only regular-expression mode gives up Replace.
void frmFind::cboFind_Change() {
  if (chkRegExp->checkState() != Qt::Unchecked) cmdReplace->setEnabled(false);
  PublishConditions();
}

void frmFind::cmdStop_Click() { worker_->Stop(); }

void frmFind::cmdSelectAll_Click() { SelectAllRows(); }

void frmFind::SelectAllRows() {
  ListView1->selectAll();
  ListView1->setFocus();
}

// Opens the focused row in the editor of the settings file. A command that cannot be started
// is named in status panel 1; the focus then stays where it was.
void frmFind::cmdOpen_Click() {
  WriteSetting(kFindSettingSection, kEditorKey, strEditor);
  const QModelIndex current = ListView1->currentIndex();
  if (!current.isValid() || current.row() >= static_cast<int>(model_->rows().size())) return;
  const ResultRows& rows = model_->rows();
  const size_t row = static_cast<size_t>(current.row());
  QString failure;
  if (!OpenInEditor(strEditor, strSourceFolder, rows.Path(row), rows.Line(row), rows.Column(row),
                    &failure)) {
    ShowPanelNote(failure);
    return;
  }
  ListView1->setFocus();
}

void frmFind::ListView1_DblClick() { cmdOpen_Click(); }

// True when the key was handled here.
bool frmFind::ListView1_KeyDown(int key, Qt::KeyboardModifiers modifiers) {
  if (key == Qt::Key_Return || key == Qt::Key_Enter) {
    ListView1_DblClick();
    return true;
  }
  if (key == Qt::Key_A && (modifiers & Qt::ControlModifier)) {
    SelectAllRows();
    return true;
  }
  return false;
}

// The line of the hovered row's hit, read again from its file in the run's charset. The file is
// read off the window's thread: until the line is there the tip says "reading…".
bool frmFind::ShowRowToolTip(QEvent* event) {
  auto* help = static_cast<QHelpEvent*>(event);
  tip_position_ = help->pos();
  tip_global_position_ = help->globalPos();
  if (!ShowRowTip()) event->ignore();
  return true;
}

// Shows the tip of the row at tip_position_; false when it has none.
bool frmFind::ShowRowTip() {
  const QModelIndex index = ListView1->indexAt(tip_position_);
  std::optional<QString> tip = QString();
  if (index.isValid() && index.row() < static_cast<int>(model_->rows().size())) {
    tip = previewer_->Text(LineRequest(static_cast<size_t>(index.row())));
  }
  if (!tip) tip = kReadingTip;
  if (tip->isEmpty()) {
    QToolTip::hideText();
    return false;
  }
  QToolTip::showText(tip_global_position_, *tip, ListView1->viewport(),
                     ListView1->visualRect(index));
  return true;
}

// A line read for a tip: shown when the row's "reading…" tip still stands; or for Copy Line.
void frmFind::OnRowTipReady() {
  CopyPendingLine();
  if (QToolTip::isVisible() && QToolTip::text() == kReadingTip) ShowRowTip();
}

}  // namespace quonder
