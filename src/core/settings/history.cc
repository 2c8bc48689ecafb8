#include "core/settings/history.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/settings/ini_file_common.h"
#include "core/settings/setting_numbers.h"
#include "core/text/decimal.h"

namespace quonder {
namespace {

constexpr char kFindSetting[] = "FindSetting";

int32_t ReadCapacity(const IniSnapshot& ini, const std::string& capacity_key) {
  const std::string text = ini.Get(kFindSetting, capacity_key, Decimal(kDefaultHistoryCapacity));
  const int32_t capacity = RoundToInt32(LeadingNumber(text));
  return capacity >= 1 && capacity <= kMaxHistoryCapacity ? capacity : kDefaultHistoryCapacity;
}

// The quotes keep leading and trailing spaces, which the INI write would otherwise drop; the
// INI read takes one enclosing pair off again.
std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// The items a box shows of `section`: the entries up to the first empty one, and that one when
// it comes before the capacity.
int32_t ListedCount(const IniSnapshot& ini, int32_t capacity, const std::string& section) {
  for (int32_t k = 0; k < capacity; ++k) {
    if (ini.Get(section, Decimal(k), "").empty()) return k + 1;
  }
  return capacity;
}

void Fill(const IniSnapshot& ini, int32_t capacity, HistoryBox& box, const std::string& section) {
  box.Clear();
  const int32_t count = ListedCount(ini, capacity, section);
  for (int32_t k = 0; k < count; ++k) box.AddItem(ini.Get(section, Decimal(k), ""));
}

// The entries to write to put `text` at the top of the list `ini` holds: the list moved down
// one place, up to where the text's older duplicate stood, else to its end, in one rewrite (a
// kill in between cannot leave an entry twice, and a history of a thousand entries is not
// rewritten a thousand times). The list the file holds, not one a box shows: another window
// may have added to it since that box was filled.
std::vector<std::pair<std::string, std::string>> ShiftedDown(const IniSnapshot& ini,
                                                             int32_t capacity,
                                                             const std::string& section,
                                                             const std::string& text) {
  std::vector<std::string> list(static_cast<size_t>(capacity));
  list[0] = text;
  const int n = ListedCount(ini, capacity, section);
  // The last place the shift rewrites.
  int last = n;
  // Entry i moves to place i + 1; entries that would move behind the capacity are not read.
  for (int i = 0; i < n && i < capacity - 1; ++i) {
    list[i + 1] = ini.Get(section, Decimal(i), "");
    if (list[i + 1] == text) {
      last = i;
      break;
    }
  }
  if (last >= capacity) last = capacity - 1;
  std::vector<std::pair<std::string, std::string>> entries;
  for (int k = 0; k <= last; ++k) entries.emplace_back(Decimal(k), Quoted(list[k]));
  return entries;
}

// A file of the older layout keeps one text under the legacy key: it becomes entry 0, and the
// key goes once the entry is written (a file that refuses the entry keeps its text). Whether
// the text still has to move is decided on a reading made under the lock of that write:
// another window may have moved it since `ini` was read and added to the list, which a write
// decided on `ini` would overwrite. `box` then shows the list that reading holds.
void MoveOlderText(const IniSnapshot& ini, int32_t capacity, HistoryBox& box,
                   const std::string& section, const std::string& legacy_key,
                   const std::string& ini_file, Status& failure) {
  std::string legacy = ini.Get(kFindSetting, legacy_key, "");
  std::optional<IniSnapshot> moved_before;
  bool moved = true;
  if (!legacy.empty()) {
    auto entry_for = [&](const IniSnapshot& locked) {
      std::vector<std::pair<std::string, std::string>> entries;
      std::vector<std::string> keys;
      if (locked.GetIniKeys(section, keys) > 0) {
        moved_before.emplace(locked);
        return entries;
      }
      legacy = locked.Get(kFindSetting, legacy_key, "");
      if (!legacy.empty()) entries.emplace_back("0", Quoted(legacy));
      return entries;
    };
    moved = UpdateIniStrings(section, entry_for, ini_file, &failure);
  }
  if (moved && ini.HasKey(kFindSetting, legacy_key)) {
    Status deleted;
    if (!DeleteIniKey(kFindSetting, legacy_key, ini_file, &deleted) && failure.ok()) {
      failure = deleted;
    }
  }
  if (moved_before) {
    Fill(*moved_before, capacity, box, section);
    return;
  }
  box.Clear();
  box.AddItem(legacy);
}

}  // namespace

Status LoadHistory(int32_t& capacity, HistoryBox& box, const std::string& capacity_key,
                   const std::string& section, const std::string& legacy_key,
                   const std::string& ini_file) {
  return LoadHistory(capacity, box, capacity_key, section, legacy_key, IniSnapshot(ini_file),
                     ini_file);
}

Status LoadHistory(int32_t& capacity, HistoryBox& box, const std::string& capacity_key,
                   const std::string& section, const std::string& legacy_key,
                   const IniSnapshot& ini, const std::string& ini_file) {
  Status failure;
  capacity = ReadCapacity(ini, capacity_key);
  std::vector<std::string> keys;
  if (ini.GetIniKeys(section, keys) > 0) {
    Fill(ini, capacity, box, section);
  } else {
    MoveOlderText(ini, capacity, box, section, legacy_key, ini_file, failure);
  }
  box.SelectFirst();
  return failure;
}

void FillHistoryList(int32_t capacity, HistoryBox& box, const std::string& section,
                     const std::string& ini_file) {
  Fill(IniSnapshot(ini_file), capacity, box, section);
}

Status AddToHistory(int32_t capacity, HistoryBox& box, const std::string& section,
                    const std::string& ini_file) {
  Status failure;
  const std::string text = box.CurrentText();
  if (text.empty() || capacity < 1) return failure;
  // Read under the lock of the rewrite: an add made meanwhile by another window or program
  // would otherwise be shifted from a list this one then overwrites.
  UpdateIniStrings(
      section, [&](const IniSnapshot& ini) { return ShiftedDown(ini, capacity, section, text); },
      ini_file, &failure);
  FillHistoryList(capacity, box, section, ini_file);
  box.SelectFirst();
  return failure;
}

std::string LatestHistoryEntry(const std::string& section, const std::string& legacy_key,
                               const IniSnapshot& ini) {
  std::vector<std::string> keys;
  if (ini.GetIniKeys(section, keys) > 0) return ini.Get(section, "0", "");
  return ini.Get(kFindSetting, legacy_key, "");
}

}  // namespace quonder
