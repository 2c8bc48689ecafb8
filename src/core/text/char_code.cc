#include "core/text/char_code.h"

#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "core/fileops/file_common.h"
#include "core/settings/ini_file_common.h"
#include "core/text/blanks.h"

namespace quonder {
namespace {

constexpr char kCharCodeSetFile[] = "CharCodeSet.ini";
constexpr char kCharCodeSection[] = "CharcterCoding";
constexpr char kDefaultCharCodeValue[] = "utf-8,65001,Universal Alphabet (UTF-8)";
constexpr char kFallbackCharset[] = "utf-8";

std::vector<std::string> SplitAtCommas(const std::string& value) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (;;) {
    size_t comma = value.find(',', start);
    fields.push_back(value.substr(start, comma - start));
    if (comma == std::string::npos) return fields;
    start = comma + 1;
  }
}

// A code page is a decimal integer, optionally signed and surrounded by blanks, that fits 32
// bits; anything else (an empty field, "932a", "1e3", a number too large) makes the entry
// malformed rather than guessing.
bool ParseCodePage(std::string_view field, int32_t& code_page) {
  field = TrimBlanks(field);
  // One sign at most: from_chars takes a '-' but not a '+'.
  if (!field.empty() && field.front() == '+') {
    field.remove_prefix(1);
    if (!field.empty() && (field.front() == '+' || field.front() == '-')) return false;
  }
  if (field.empty()) return false;
  int32_t parsed = 0;
  auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), parsed);
  if (error != std::errc() || end != field.data() + field.size()) return false;
  code_page = parsed;
  return true;
}

}  // namespace

bool LoadCharCodeSet(const std::string& folder, std::vector<CharCodeEntry>& sets) {
  sets.clear();
  const std::string file = BuildPath(folder, kCharCodeSetFile);
  if (!FileExists(file)) return false;

  // One reading of the table for all its keys.
  const IniSnapshot table(file);
  std::vector<std::string> keys;
  if (table.GetIniKeys(kCharCodeSection, keys) == 0) return false;

  sets.resize(keys.size());
  for (size_t i = 0; i < keys.size(); ++i) {
    std::string value;
    table.GetIniString(kCharCodeSection, keys[i], kDefaultCharCodeValue, value);
    std::vector<std::string> fields = SplitAtCommas(value);
    int32_t code_page = 0;
    if (fields.size() != 3 || !ParseCodePage(fields[1], code_page)) continue;
    sets[i].Name = fields[0];
    sets[i].CodePage = code_page;
    sets[i].Description = fields[2];
  }
  return true;
}

std::string DefaultCharset(const std::vector<CharCodeEntry>& sets) {
  if (sets.size() > static_cast<size_t>(kDefaultCharCodeIndex) &&
      !sets[kDefaultCharCodeIndex].Name.empty()) {
    return sets[kDefaultCharCodeIndex].Name;
  }
  for (const CharCodeEntry& entry : sets) {
    if (!entry.Name.empty()) return entry.Name;
  }
  return kFallbackCharset;
}

}  // namespace quonder
