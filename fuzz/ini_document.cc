// Feeds IniDocument a random file and random edits. Checks, against a plain reader written
// from the rules in ini_document.h: a parse keeps every byte (or refuses a NUL), every value
// reads as the rules say, an edit reads back as written, and an edit changes no other key.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/settings/ini_document.h"
#include "core/settings/ini_profile.h"
#include "core/text/blanks.h"
#include "core/text/string_common.h"
#include "core/text/utf_convert.h"

namespace quonder {
namespace {

void Check(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "ini_document: %s\n", what);
  std::abort();
}

struct Entry {
  std::string section;
  int header = 0;  // which header (from 0) opened its section
  std::string key;
  std::string value;  // trimmed, unquoted
};

struct Reading {
  std::vector<std::string> headers;  // section names in file order
  std::vector<Entry> entries;        // key lines after the first header, in file order
};

std::string Unquote(std::string_view value) {
  value = TrimBlanks(value);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(value);
}

// The reader the rules describe, line by line.
Reading ReadAll(std::string_view bytes) {
  Reading reading;
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  while (!bytes.empty()) {
    size_t lf = bytes.find('\n');
    std::string_view line = bytes.substr(0, lf);
    bytes = lf == std::string_view::npos ? std::string_view() : bytes.substr(lf + 1);
    if (lf != std::string_view::npos && !line.empty() && line.back() == '\r') {
      line.remove_suffix(1);
    }
    std::string_view body = TrimBlanks(line);
    if (body.empty() || body[0] == ';' || body[0] == '#') continue;
    if (body[0] == '[') {
      size_t close = body.find(']');
      if (close != std::string_view::npos) {
        reading.headers.emplace_back(TrimBlanks(body.substr(1, close - 1)));
      }
      continue;
    }
    size_t equals = line.find('=');
    if (equals == std::string_view::npos || reading.headers.empty()) continue;
    std::string_view name = TrimBlanks(line.substr(0, equals));
    if (name.empty()) continue;
    const int header = static_cast<int>(reading.headers.size()) - 1;
    reading.entries.push_back(
        {reading.headers.back(), header, std::string(name), Unquote(line.substr(equals + 1))});
  }
  return reading;
}

// What FindValue must give: the first header of the name opens the only section that counts,
// and in it the first key of the name.
std::optional<std::string> Expected(const Reading& reading, std::string_view section,
                                    std::string_view key) {
  int first = 0;
  while (first < static_cast<int>(reading.headers.size()) &&
         !SameIniName(reading.headers[first], section)) {
    ++first;
  }
  for (const Entry& entry : reading.entries) {
    if (entry.header == first && SameIniName(entry.key, key)) return entry.value;
  }
  return std::nullopt;
}

std::string PickName(FuzzedDataProvider& input, const Reading& reading, bool section) {
  const std::vector<Entry>& entries = reading.entries;
  if (!entries.empty() && input.ConsumeBool()) {
    const Entry& entry = entries[input.ConsumeIntegralInRange<size_t>(0, entries.size() - 1)];
    return section ? entry.section : entry.key;
  }
  return input.ConsumeRandomLengthString(12);
}

// The profile reads cut values and key lists to a buffer: never more than fits, never inside
// a UTF-8 sequence, never more than a character short of what fits.
void CheckBufferedReads(const IniDocument& document, const Reading& reading, size_t buffer_size) {
  for (const Entry& entry : reading.entries) {
    std::string buffer;
    const int32_t count =
        GetProfileValue(document, entry.section, entry.key, "", buffer, buffer_size);
    const std::string value = document.FindValue(entry.section, entry.key).value_or("");
    const std::string whole = value.substr(0, value.find('\0'));
    Check(static_cast<size_t>(count) == buffer.size(), "the count is not the value's size");
    Check(buffer_size == 0 ? buffer.empty() : buffer.size() < buffer_size, "a value overflows");
    Check(whole.starts_with(buffer), "a cut value is no prefix of the value");
    Check(!IsValidUtf8(whole) || IsValidUtf8(buffer), "a cut splits a character");
    Check(buffer == whole || buffer.size() + 4 >= buffer_size, "a value is cut too short");
  }
  std::string list;
  const std::string section = reading.entries.empty() ? "" : reading.entries[0].section;
  const int32_t count = GetProfileKeyList(document, section, list, buffer_size);
  Check(list.size() <= buffer_size, "a key list overflows");
  Check(count == 0 ? list.empty() : static_cast<size_t>(count) + 1 == list.size(),
        "a key list's count is not its size");
  std::string names;
  for (const std::string& name : document.KeyNames(section)) names += name + '\0';
  Check(names.starts_with(list.substr(0, static_cast<size_t>(count))),
        "a key list is no prefix of the keys");
}

void CheckAllReads(const IniDocument& document, const std::string& bytes) {
  const Reading reading = ReadAll(bytes);
  for (const Entry& entry : reading.entries) {
    Check(
        document.FindValue(entry.section, entry.key) == Expected(reading, entry.section, entry.key),
        "a value reads other than the rules say");
  }
}

}  // namespace
}  // namespace quonder

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quonder;
  FuzzedDataProvider input(data, size);
  const std::string bytes = input.ConsumeRandomLengthString(4096);
  IniDocument document;
  const bool parsed = document.Parse(bytes);
  Check(parsed == (bytes.find('\0') == std::string::npos), "Parse refuses only a NUL");
  if (!parsed) {
    Check(document.Serialize().empty(), "a refused file leaves the document empty");
    return 0;
  }
  Check(document.Serialize() == bytes, "a parse does not give back the file's bytes");
  CheckAllReads(document, bytes);
  CheckBufferedReads(document, ReadAll(bytes), input.ConsumeIntegralInRange<size_t>(0, 40));

  for (int edits = 0; edits < 4 && input.remaining_bytes() > 0; ++edits) {
    const std::string before = document.Serialize();
    const Reading reading = ReadAll(before);
    const std::string section = PickName(input, reading, true);
    const std::string key = PickName(input, reading, false);
    const bool remove = input.ConsumeBool();
    const std::string value = input.ConsumeRandomLengthString(16);
    Check(UnescapeControlChars(EscapeControlChars(value)) == value, "escaping does not read back");
    if (!IsWritableSectionName(section) || !IsWritableKeyName(key)) continue;
    if (remove) {
      const bool had = document.FindValue(section, key).has_value();
      Check(document.RemoveKey(section, key) == had, "RemoveKey's answer");
      Check(!document.FindValue(section, key).has_value(), "a removed key still reads");
    } else {
      if (!IsWritableValue(value)) continue;
      document.SetValue(section, key, value);
      Check(document.FindValue(section, key) == Unquote(value), "a set value does not read back");
    }
    const std::string after = document.Serialize();
    IniDocument reread;
    Check(reread.Parse(after), "an edited document does not parse");
    Check(reread.Serialize() == after, "an edited document does not read back byte for byte");
    Check(reread.FindValue(section, key) == document.FindValue(section, key),
          "an edit reads otherwise once written");
    CheckAllReads(reread, after);
    // No other key changed.
    for (const Entry& entry : reading.entries) {
      if (SameIniName(entry.section, section) && SameIniName(entry.key, key)) continue;
      Check(
          Expected(reading, entry.section, entry.key) == reread.FindValue(entry.section, entry.key),
          "an edit changed another key");
    }
  }
  return 0;
}
