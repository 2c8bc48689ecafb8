// What the 16-bit matcher (RegExp) and the 8-bit matcher over raw UTF-8 (Utf8RegExp) share so
// that both read a pattern the same way: the rewrite of the escapes whose PCRE2 meaning differs
// from the dialect the window promises, the PCRE2 options, and the resource limits. Internal to
// the two adapters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <pcre2.h>

#include "core/search/reg_exp.h"

namespace quonder {
namespace reg_exp_internal {

struct TranslatedPattern {
  std::u16string text;
  // source_offset[i] is the offset in the original pattern of text[i]; one more entry maps
  // text.size() to the original's size. Lets PCRE2's error offsets point into what the user
  // typed.
  std::vector<size_t> source_offset;
};

// Rewrites \v (PCRE2: any vertical white space) into \x{0B} (the vertical tab alone), in and
// out of character classes. A backslash always takes the next unit with it, so \\v stays a
// backslash followed by v; \Q...\E is copied as it stands, and so is the character after \c.
TranslatedPattern TranslatePattern(std::u16string_view pattern);

// PCRE2 compile options for `options`: UTF with invalid-UTF matching, caseless when asked,
// multi-line when asked, $ at the very end only when not multi-line, and no \C (one code unit,
// which would split characters and differ between the 16-bit and the 8-bit form). \w \d \b
// stay ASCII (no UCP): they mean what the engine the dialect comes from meant. With
// bounded_starts, an offset limit may be set when matching.
uint32_t CompileOptions(const RegExp::Options& options);

// Line ends for ^ $ and '.': CR LF, CR and LF.
inline constexpr uint32_t kNewline = PCRE2_NEWLINE_ANYCRLF;

// Work limits per start position: a pattern that backtracks catastrophically ends with an
// error instead of running for ever. The JIT stack may grow to kJitStackMax; a match that
// needs more is retried once by the interpreter, whose memory stops at kHeapLimitKib.
inline constexpr uint32_t kMatchLimit = 10'000'000;
inline constexpr uint32_t kHeapLimitKib = 512 * 1024;
inline constexpr size_t kJitStackStart = 32 * 1024;
inline constexpr size_t kJitStackMax = 64 * 1024 * 1024;

// PCRE2's text for an error code, as UTF-8.
std::string ErrorText(int error_code);

}  // namespace reg_exp_internal
}  // namespace quonder
