// The find, replace and extension histories: most recent entry first, one INI section each
// (keys "0", "1", ...), entries stored in double quotes so leading/trailing spaces survive.
// The combo box is reached through HistoryBox so the core decides the order and the window only
// shows it.
#pragma once

#include <cstdint>
#include <string>

#include "core/status.h"

namespace quonder {

class IniSnapshot;

// The few things the history code does to a combo box. Texts are UTF-8.
class HistoryBox {
 public:
  virtual ~HistoryBox() = default;
  virtual void Clear() = 0;
  virtual void AddItem(const std::string& text) = 0;
  virtual std::string CurrentText() const = 0;
  virtual void SelectFirst() = 0;
};

inline constexpr int32_t kDefaultHistoryCapacity = 32;
inline constexpr int32_t kMaxHistoryCapacity = 1024;

// Reads the capacity (section FindSetting, `capacity_key`: the number its text starts with,
// rounded; 32 when missing, not a number or outside 1..1024) into `capacity`, then fills `box`
// from `section`, or migrates the legacy key of an older file when the section has no keys
// (deciding that again under the lock of its write, so a list another window made meanwhile is
// kept and shown; the key stays when its entry cannot be written); selects the first item. The
// result is the first failed write of the migration (OK when it wrote nothing or all went well).
Status LoadHistory(int32_t& capacity, HistoryBox& box, const std::string& capacity_key,
                   const std::string& section, const std::string& legacy_key,
                   const std::string& ini_file);
// The same, reading from `ini`, a reading of `ini_file` that other values are taken from too
// (the migration writes to the file itself).
Status LoadHistory(int32_t& capacity, HistoryBox& box, const std::string& capacity_key,
                   const std::string& section, const std::string& legacy_key,
                   const IniSnapshot& ini, const std::string& ini_file);

// Empties `box` and adds entries 0.. up to `capacity`, plus one empty item when the list ends
// before the capacity.
void FillHistoryList(int32_t capacity, HistoryBox& box, const std::string& section,
                     const std::string& ini_file);

// Puts the box's current text at the top of `section` as the file holds it (removing its older
// duplicate; what the box showed before does not matter) and refills the box. An empty text is not
// added (the file and the box stay as they are): as the first entry it would end the list and hide
// every older entry. The result is the first failed write.
Status AddToHistory(int32_t capacity, HistoryBox& box, const std::string& section,
                    const std::string& ini_file);

// The most recent entry of `section` in a reading of the settings file: entry "0", or, while
// the section does not exist yet, the older layout's `legacy_key` of section FindSetting. ""
// when neither is there.
std::string LatestHistoryEntry(const std::string& section, const std::string& legacy_key,
                               const IniSnapshot& ini);

}  // namespace quonder
