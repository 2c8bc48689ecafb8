// Regular expressions over PCRE2's 16-bit library with JIT. The dialect: PCRE2's, with the
// escapes the window's help texts promise (\\ \r \n \t, \v as the vertical tab alone, and
// ( ) $ * + . [ ] ? / ^ { } | escaped with a backslash), case-insensitive matching that covers
// non-ASCII letters, and ^ $ at CR LF, CR and LF line ends in multi-line mode. Texts with
// unpaired surrogates are matched around them. Positions are UTF-16 code units from 0.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/status.h"

namespace quonder {

struct RegExpMatch {
  int32_t FirstIndex = 0;  // 0-based start in code units
  std::u16string Value;
};

// A compiled pattern. Compile once, match many texts. A RegExp is used by one thread at a time
// (it owns its match data); compile one per thread.
class RegExp {
 public:
  struct Options {
    bool ignore_case = false;
    bool multiline = false;
  };

  // kInvalidPattern with PCRE2's message and the offset in the pattern when it is rejected.
  static Status Compile(std::u16string_view pattern, Options options, std::unique_ptr<RegExp>& out);

  virtual ~RegExp() = default;

  // Finds the first match that starts at or after `start`. Returns false when there is none.
  // [begin, end) is the match in code units. The caller that loops must step past an empty
  // match itself (ForEachMatch does).
  virtual bool Find(std::u16string_view text, size_t start, size_t& begin, size_t& end) = 0;

  // Every non-overlapping match in increasing order, empty matches included and stepped over
  // (never looping). `on_match(begin, end)` returns false to stop early.
  template <typename F>
  void ForEachMatch(std::u16string_view text, F&& on_match);

  // Rewrites every match (or only the first when !global) with `replacement`, where $1..$9 are
  // the groups (empty when the group did not take part), $$ is one dollar sign, and any other
  // dollar sign is itself.
  virtual std::u16string Replace(std::u16string_view text, std::u16string_view replacement,
                                 bool global) = 0;
};

// One call: all matches of `pattern` in `text` (every match with `global`, else the first),
// in multi-line mode.
Status RegExpExecute(const std::u16string& text, const std::u16string& pattern,
                     std::vector<RegExpMatch>& matches, bool ignore_case, bool global);

// One call: `text` with its matches replaced, multi-line mode off (^ and $ anchor at the ends
// of `text` only).
Status RegExpReplace(const std::u16string& text, const std::u16string& pattern,
                     const std::u16string& replacement, bool ignore_case, bool global,
                     std::u16string& result);

template <typename F>
void RegExp::ForEachMatch(std::u16string_view text, F&& on_match) {
  size_t start = 0;
  while (start <= text.size()) {
    size_t begin, end;
    if (!Find(text, start, begin, end)) return;
    if (!on_match(begin, end)) return;
    if (end > begin) {
      start = end;
    } else {
      // An empty match: the next search starts one character on (a surrogate pair whole).
      start = end + 1;
      if (end < text.size() && (text[end] & 0xFC00) == 0xD800 && end + 1 < text.size() &&
          (text[end + 1] & 0xFC00) == 0xDC00) {
        ++start;
      }
    }
  }
}

}  // namespace quonder
