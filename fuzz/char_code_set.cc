// Feeds the code set table loader a random CharCodeSet.ini. Checks against the table's rules
// (char_code.h): one entry per key, an entry filled exactly when its value is three
// comma-separated fields with a decimal code page, and that every name the file offers can be
// handed to the codec, which opens it or says it does not know it.
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/settings/ini_file_common.h"
#include "core/text/blanks.h"
#include "core/text/char_code.h"
#include "core/text/text_stream.h"
#include "fuzz_folder.h"

namespace quonder {
namespace {

void Check(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "char_code_set: %s\n", what);
  std::abort();
}

// A decimal integer with at most one sign, blanks around it, that fits 32 bits.
bool IsCodePage(std::string_view field, int32_t& value) {
  field = TrimBlanks(field);
  bool negative = false;
  if (!field.empty() && (field[0] == '+' || field[0] == '-')) {
    negative = field[0] == '-';
    field.remove_prefix(1);
  }
  if (field.empty() || field.size() > 11) return false;
  int64_t magnitude = 0;
  for (char c : field) {
    if (c < '0' || c > '9') return false;
    magnitude = magnitude * 10 + (c - '0');
  }
  const int64_t signed_value = negative ? -magnitude : magnitude;
  if (signed_value < INT32_MIN || signed_value > INT32_MAX) return false;
  value = static_cast<int32_t>(signed_value);
  return true;
}

}  // namespace
}  // namespace quonder

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quonder;
  const std::string file = FuzzFolder() + "/CharCodeSet.ini";
  FILE* out = std::fopen(file.c_str(), "wb");
  if (out == nullptr) std::abort();
  std::fwrite(data, 1, size, out);
  std::fclose(out);

  std::vector<CharCodeEntry> sets;
  const bool loaded = LoadCharCodeSet(FuzzFolder(), sets);
  std::vector<std::string> keys;
  GetIniKeys("CharcterCoding", keys, file);
  Check(loaded == !keys.empty(), "loaded without keys, or not loaded with keys");
  Check(sets.size() == keys.size(), "not one entry per key");
  for (size_t i = 0; i < sets.size(); ++i) {
    std::string value;
    GetIniString("CharcterCoding", keys[i], "", value, file);
    std::vector<std::string> fields;
    for (size_t start = 0;;) {
      const size_t comma = value.find(',', start);
      fields.push_back(value.substr(start, comma - start));
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
    int32_t code_page = 0;
    const bool wellformed = fields.size() == 3 && IsCodePage(fields[1], code_page);
    const CharCodeEntry& entry = sets[i];
    if (!wellformed) {
      Check(entry.Name.empty() && entry.CodePage == 0 && entry.Description.empty(),
            "a malformed value fills an entry");
      continue;
    }
    Check(entry.Name == fields[0] && entry.CodePage == code_page && entry.Description == fields[2],
          "a well-formed value gives another entry");
    std::unique_ptr<TextCodec> codec;
    Status status = TextCodec::Open(entry.Name, codec);
    Check(status.ok() == (codec != nullptr), "an open without a codec, or a codec with an error");
    Check(status.ok() || status.code() == Status::Code::kUnknownCharset,
          "an unknown name gives another error");
  }
  const std::string fallback = DefaultCharset(sets);
  Check(!fallback.empty(), "no default charset");
  return 0;
}
