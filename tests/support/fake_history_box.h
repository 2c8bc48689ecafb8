// A combo box reduced to what the history code does with it: its items, and the text typed
// into it (`current`).
#pragma once

#include <string>
#include <vector>

#include "core/settings/history.h"

namespace quonder::testing {

class FakeHistoryBox : public HistoryBox {
 public:
  explicit FakeHistoryBox(std::string text = "") : current(std::move(text)) {}
  void Clear() override { items.clear(), selected = -1; }
  void AddItem(const std::string& text) override { items.push_back(text); }
  std::string CurrentText() const override { return current; }
  void SelectFirst() override {
    selected = 0;
    current = items.empty() ? "" : items[0];
  }

  std::vector<std::string> items;
  std::string current;
  int selected = -1;
};

}  // namespace quonder::testing
