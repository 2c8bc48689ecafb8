#include "core/settings/history.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/settings/ini_file_common.h"

namespace quonder {
namespace {

constexpr char kFindSetting[] = "FindSetting";

// The number a text starts with, as the capacity keys are read: blanks skipped, an optional
// sign, digits with an optional fraction; anything after it is ignored, and a text that starts
// with no number counts as 0.
double LeadingNumber(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  size_t start = i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  size_t digits = 0;
  while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i, ++digits;
  }
  if (digits == 0) return 0;
  return std::strtod(text.substr(start, i - start).c_str(), nullptr);
}

int32_t ReadCapacity(const std::string& capacity_key, const std::string& ini_file) {
  std::string text;
  GetIniString(kFindSetting, capacity_key, std::to_string(kDefaultHistoryCapacity), text, ini_file);
  // Rounds half to even, as the integer conversion of the settings does.
  double rounded = std::nearbyint(LeadingNumber(text));
  if (!(rounded >= 1 && rounded <= kMaxHistoryCapacity)) return kDefaultHistoryCapacity;
  return static_cast<int32_t>(rounded);
}

void ReadHistoryEntry(const std::string& section, const std::string& key,
                      const std::string& default_value, std::string& entry,
                      const std::string& ini_file) {
  GetIniString(section, key, default_value, entry, ini_file);
}

// The quotes keep leading and trailing spaces, which the INI write would otherwise drop; the
// INI read takes one enclosing pair off again.
bool WriteHistoryEntry(const std::string& section, const std::string& key, const std::string& text,
                       const std::string& ini_file) {
  return WriteIniString(section, key, "\"" + text + "\"", ini_file);
}

}  // namespace

void LoadHistory(int32_t& capacity, HistoryBox& box, const std::string& capacity_key,
                 const std::string& section, const std::string& legacy_key,
                 const std::string& ini_file) {
  capacity = ReadCapacity(capacity_key, ini_file);
  std::vector<std::string> keys;
  if (GetIniKeys(section, keys, ini_file) > 0) {
    FillHistoryList(capacity, box, section, ini_file);
  } else {
    // A file of the older layout keeps one text under the legacy key: it becomes entry 0.
    box.Clear();
    std::string legacy;
    GetIniString(kFindSetting, legacy_key, "", legacy, ini_file);
    box.AddItem(legacy);
    if (!legacy.empty()) WriteHistoryEntry(section, "0", legacy, ini_file);
    DeleteIniKey(kFindSetting, legacy_key, ini_file);
  }
  box.SelectFirst();
}

void FillHistoryList(int32_t capacity, HistoryBox& box, const std::string& section,
                     const std::string& ini_file) {
  box.Clear();
  for (int32_t k = 0; k < capacity; ++k) {
    std::string entry;
    ReadHistoryEntry(section, std::to_string(k), "", entry, ini_file);
    box.AddItem(entry);
    if (entry.empty()) break;
  }
}

void AddToHistory(int32_t capacity, HistoryBox& box, const std::string& section,
                  const std::string& ini_file) {
  const std::string text = box.CurrentText();
  if (text.empty() || capacity < 1) return;
  std::vector<std::string> list(static_cast<size_t>(capacity));
  list[0] = text;
  const int n = box.ItemCount();
  int last = n;
  for (int i = 0; i < n; ++i) {
    if (i >= capacity - 1) continue;  // places behind the capacity are not read
    ReadHistoryEntry(section, std::to_string(i), "", list[i + 1], ini_file);
    if (list[i + 1] == text) {
      last = i;
      break;
    }
  }
  if (last >= capacity) last = capacity - 1;
  for (int k = 0; k <= last; ++k) {
    WriteHistoryEntry(section, std::to_string(k), list[k], ini_file);
  }
  FillHistoryList(capacity, box, section, ini_file);
  box.SelectFirst();
}

}  // namespace quonder
