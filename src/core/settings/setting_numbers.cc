#include "core/settings/setting_numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "core/text/blanks.h"

namespace quonder {
namespace {

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

// For a number beyond double's range: whether it is too large (else too small), from the
// power of ten of its first significant digit.
bool TooLarge(std::string_view number) {
  const size_t e = number.find_first_of("eE");
  const std::string_view mantissa = number.substr(0, e);
  const size_t dot = std::min(mantissa.find('.'), mantissa.size());
  const size_t first = mantissa.find_first_of("123456789");
  int64_t power =
      first < dot ? static_cast<int64_t>(dot - first - 1) : -static_cast<int64_t>(first - dot);
  if (e != std::string_view::npos) {
    std::string_view exponent = number.substr(e + 1);
    const bool negative = exponent.front() == '-';
    if (exponent.front() == '+' || negative) exponent.remove_prefix(1);
    int64_t magnitude = 0;
    // Far beyond any power a mantissa can make up for.
    if (std::from_chars(exponent.data(), exponent.data() + exponent.size(), magnitude).ec !=
        std::errc()) {
      magnitude = int64_t{1} << 40;
    }
    power += negative ? -magnitude : magnitude;
  }
  return power >= 0;
}

// `number` has passed NumberLength. from_chars takes no '+' and needs a digit before a '.'.
double ToDouble(std::string_view number) {
  bool negative = false;
  if (number.front() == '+' || number.front() == '-') {
    negative = number.front() == '-';
    number.remove_prefix(1);
  }
  std::string digits(number);
  if (digits.front() == '.') digits.insert(digits.begin(), '0');
  double value = 0;
  if (std::from_chars(digits.data(), digits.data() + digits.size(), value).ec ==
      std::errc::result_out_of_range) {
    value = TooLarge(digits) ? std::numeric_limits<double>::infinity() : 0.0;
  }
  return negative ? -value : value;
}

}  // namespace

std::optional<double> ParseNumber(std::string_view text) {
  text = TrimBlanks(text);
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
  const double measure = static_cast<double>(static_cast<float>(value));
  if (!std::isfinite(measure)) return "0";
  char buffer[400];
  // Seven significant digits, trailing zeros dropped (as printf's %.7g).
  auto result =
      std::to_chars(buffer, buffer + sizeof buffer, measure, std::chars_format::general, 7);
  std::string text(buffer, result.ptr);
  // The general form switches to an exponent for large or tiny measures; the file wants plain
  // decimals, still with seven significant digits (a tiny measure shows as 0).
  if (text.find('e') != std::string::npos) {
    double rounded = 0;
    std::from_chars(text.data(), text.data() + text.size(), rounded);
    result = std::to_chars(buffer, buffer + sizeof buffer, rounded, std::chars_format::fixed, 0);
    text.assign(buffer, result.ptr);
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
