// A history list (core/history.h) shown in one of the window's editable combo boxes.
#pragma once

#include <QComboBox>

#include <string>

#include "core/settings/history.h"

namespace quonder {

class HistoryCombo : public HistoryBox {
 public:
  // `box` must outlive the adapter. Threads: the window's.
  explicit HistoryCombo(QComboBox* box) : box_(box) {}

  void Clear() override;
  void AddItem(const std::string& text) override;
  std::string CurrentText() const override;
  void SelectFirst() override;

 private:
  QComboBox* box_;
};

}  // namespace quonder
