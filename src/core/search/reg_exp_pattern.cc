#include "core/search/reg_exp_pattern.h"

namespace quonder {
namespace reg_exp_internal {

TranslatedPattern TranslatePattern(std::u16string_view pattern) {
  TranslatedPattern out;
  out.text.reserve(pattern.size() + 8);
  out.source_offset.reserve(pattern.size() + 9);
  auto emit = [&out](std::u16string_view units, size_t source) {
    out.text.append(units);
    out.source_offset.insert(out.source_offset.end(), units.size(), source);
  };
  size_t i = 0;
  const size_t n = pattern.size();
  while (i < n) {
    if (pattern[i] != u'\\' || i + 1 == n) {
      emit(pattern.substr(i, 1), i);
      ++i;
      continue;
    }
    const char16_t next = pattern[i + 1];
    if (next == u'v') {
      emit(u"\\x{0B}", i);
      i += 2;
    } else if (next == u'Q') {
      // Literal up to \E (or the end): nothing inside is an escape.
      size_t stop = pattern.find(u"\\E", i + 2);
      if (stop == std::u16string_view::npos) stop = n;
      for (size_t j = i; j < stop; ++j) emit(pattern.substr(j, 1), j);
      i = stop;
    } else {
      // \c takes the character after it as its operand, whatever it is (\c\ is a control code).
      const size_t take = (next == u'c' && i + 2 < n) ? 3 : 2;
      for (size_t j = i; j < i + take; ++j) emit(pattern.substr(j, 1), j);
      i += take;
    }
  }
  out.source_offset.push_back(n);
  return out;
}

uint32_t CompileOptions(const RegExp::Options& options) {
  uint32_t bits = PCRE2_UTF | PCRE2_MATCH_INVALID_UTF | PCRE2_NEVER_BACKSLASH_C;
  if (options.ignore_case) bits |= PCRE2_CASELESS;
  if (options.bounded_starts) bits |= PCRE2_USE_OFFSET_LIMIT;
  if (options.multiline) {
    bits |= PCRE2_MULTILINE;
  } else {
    bits |= PCRE2_DOLLAR_ENDONLY;
  }
  return bits;
}

std::string ErrorText(int error_code) {
  PCRE2_UCHAR8 buffer[256];
  int length = pcre2_get_error_message_8(error_code, buffer, sizeof buffer);
  if (length < 0) return "PCRE2 error " + std::to_string(error_code);
  return std::string(reinterpret_cast<const char*>(buffer), static_cast<size_t>(length));
}

}  // namespace reg_exp_internal
}  // namespace quonder
