// The code set table: which charsets the user can pick, read from CharCodeSet.ini in the
// program's data folder (beside the program or installed: FindDataFolder in data_files.h),
// section "CharcterCoding", one "name,codepage,description" value per key.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quonder {

struct CharCodeEntry {
  std::string Name;         // charset name as the text stream accepts it; empty when malformed
  int32_t CodePage = 0;     // stored, never used by a command
  std::string Description;  // tool tip of the coding box
};

// Index of the default charset in the table (the setting "Coding" defaults to its Name).
inline constexpr int kDefaultCharCodeIndex = 42;

// Loads `<folder>/CharCodeSet.ini` into `sets`, one entry per key in key order. A value
// that does not split into exactly three comma-separated fields with a numeric second field
// leaves an empty entry in its place. False (and `sets` empty) when the file is missing or the
// section has no keys.
bool LoadCharCodeSet(const std::string& folder, std::vector<CharCodeEntry>& sets);

// Name of the default charset: entry 42, or when the table is shorter or that entry is empty,
// the first non-empty name, or "utf-8" for an empty table.
std::string DefaultCharset(const std::vector<CharCodeEntry>& sets);

}  // namespace quonder
