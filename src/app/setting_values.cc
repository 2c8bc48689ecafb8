#include "app/setting_values.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

namespace quonder {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Length of the decimal number at the start of `text` (0 when there is none).
size_t NumberLength(std::string_view text) {
  size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  size_t digits = 0;
  while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  }
  if (digits == 0) return 0;
  // An exponent counts only when digits follow it: "2e" is the number 2 and a stray "e".
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    if (j < text.size() && IsDigit(text[j])) {
      while (j < text.size() && IsDigit(text[j])) ++j;
      i = j;
    }
  }
  return i;
}

double ToDouble(std::string_view number) {
  // strtod follows the C locale here: the program never calls setlocale for LC_NUMERIC.
  std::string copy(number);
  return std::strtod(copy.c_str(), nullptr);
}

}  // namespace

std::optional<double> ParseNumber(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  size_t length = NumberLength(text);
  if (length == 0 || length != text.size()) return std::nullopt;
  return ToDouble(text);
}

double LeadingNumber(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  size_t length = NumberLength(text);
  return length == 0 ? 0.0 : ToDouble(text.substr(0, length));
}

int32_t RoundToInt32(double value) {
  if (std::isnan(value)) return 0;
  double rounded = std::nearbyint(value);  // the default rounding mode: halves to even
  if (rounded <= std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  if (rounded >= std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(rounded);
}

std::string FormatMeasure(double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.7g", static_cast<double>(static_cast<float>(value)));
  std::string text = buffer;
  // %g switches to an exponent for large or tiny measures; the file wants plain decimals, still
  // with seven significant digits (a tiny measure shows as 0).
  if (text.find('e') != std::string::npos) {
    std::snprintf(buffer, sizeof buffer, "%.0f", std::strtod(text.c_str(), nullptr));
    text = buffer;
  }
  if (text == "-0") text = "0";
  return text;
}

std::vector<std::string> SplitFields(const std::string& text, size_t count) {
  std::vector<std::string> fields(count);
  size_t start = 0;
  for (size_t i = 0; i < count; ++i) {
    size_t comma = text.find(',', start);
    if (comma == std::string::npos) {
      if (start <= text.size()) fields[i] = text.substr(start);
      break;
    }
    fields[i] = text.substr(start, comma - start);
    start = comma + 1;
  }
  return fields;
}

}  // namespace quonder
