// Numbers as the program writes them (settings values, counters, messages): plain decimal
// digits with a leading '-' when negative, whatever the process locale says. The toolkit sets
// the user's locale at start, so nothing here goes through the C library's locale.
#pragma once

#include <charconv>
#include <cstdint>
#include <string>

namespace quonder {

inline std::string Decimal(int64_t value) {
  char digits[24];
  return std::string(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
}

// The same digits appended to `out` (rows built in one buffer).
inline void AppendDecimal(int64_t value, std::string& out) {
  char digits[24];
  out.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
}

// The same digits as UTF-16, for status texts and messages (each digit is ASCII).
inline std::u16string DecimalText(int64_t value) {
  char digits[24];
  const char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  return std::u16string(static_cast<const char*>(digits), end);
}

}  // namespace quonder
