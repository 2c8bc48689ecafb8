#include "app/history_combo.h"

#include <QString>

namespace quonder {

void HistoryCombo::Clear() { box_->clear(); }

void HistoryCombo::AddItem(const std::string& text) { box_->addItem(QString::fromStdString(text)); }

std::string HistoryCombo::CurrentText() const { return box_->currentText().toStdString(); }

void HistoryCombo::SelectFirst() {
  if (box_->count() == 0) return;
  box_->setCurrentIndex(0);
  // An editable box keeps a typed text over an unchanged index; the first entry must show.
  if (box_->isEditable()) box_->setEditText(box_->itemText(0));
}

}  // namespace quonder
