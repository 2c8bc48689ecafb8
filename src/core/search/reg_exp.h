// Regular expressions over PCRE2's 16-bit library with JIT. The dialect: PCRE2's, with the
// escapes the window's help texts promise (\\ \r \n \t, \v as the vertical tab alone, and
// ( ) $ * + . [ ] ? / ^ { } | escaped with a backslash), case-insensitive matching that covers
// non-ASCII letters (É/é, Я/я), and ^ $ at CR LF, CR and LF line ends in multi-line mode.
// \w \d \b are ASCII only. '.' matches neither CR nor LF. \C is rejected. Texts with unpaired
// surrogates are matched around them: no pattern item matches a lone surrogate.
// Positions are UTF-16 code units from 0.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/status.h"

namespace quonder {

struct RegExpMatch {
  int64_t FirstIndex = 0;  // 0-based start in code units
  std::u16string Value;
};

// Where to search next after an empty match that ends at `end`: one character on, where a
// surrogate pair and a CR LF pair each count as one character (so no empty match is reported
// between the halves of either).
inline size_t NextStartAfterEmptyMatch(std::u16string_view text, size_t end) {
  if (end + 1 < text.size()) {
    char16_t c = text[end], d = text[end + 1];
    if ((c & 0xFC00) == 0xD800 && (d & 0xFC00) == 0xDC00) return end + 2;
    if (c == u'\r' && d == u'\n') return end + 2;
  }
  return end + 1;
}

// A compiled pattern. Compile once, match many texts. A RegExp is used by one thread at a time
// (it owns its match data); compile one per thread.
class RegExp {
 public:
  struct Options {
    bool ignore_case = false;  // PCRE2 caseless, with Unicode case folding
    bool multiline = false;    // ^ $ at every line start and end, not only the text's
    // Compiled so that FindStartingBy may limit where a match starts (which costs the engine
    // a few percent of its speed).
    bool bounded_starts = false;
  };

  // kInvalidPattern with PCRE2's message and the 0-based offset (in code units of `pattern`)
  // when it is rejected; `out` is then left empty.
  static Status Compile(std::u16string_view pattern, Options options, std::unique_ptr<RegExp>& out);

  virtual ~RegExp() = default;

  // Finds the first match that starts at or after `start`. Returns false when there is none,
  // and also when the engine gave up (see last_error()). [begin, end) is the match in code
  // units. A start inside a surrogate pair searches from behind the pair; a start beyond the
  // text finds nothing. The caller that loops must step past an empty match itself
  // (ForEachMatch does).
  bool Find(std::u16string_view text, size_t start, size_t& begin, size_t& end) {
    return FindStartingBy(text, start, std::u16string_view::npos, begin, end);
  }

  // As Find, but only a match that starts at or before `last_start` counts: the first match
  // that starts in [start, last_start], found with the whole text in view (lookarounds,
  // anchors and \b read the characters on either side of that range). npos: no limit.
  // REQUIRES: compiled with bounded_starts unless `last_start` is npos.
  virtual bool FindStartingBy(std::u16string_view text, size_t start, size_t last_start,
                              size_t& begin, size_t& end) = 0;

  // Whether it was compiled with bounded_starts.
  virtual bool bounded_starts() const = 0;
  // The stretch length a search in stretches of start positions reached with this pattern
  // (stoppable_matching.h), for the next text; 0 at first.
  size_t& stretch_pace() { return stretch_pace_; }

  // The outcome of the last Find or Replace: OK when it ran to its end (match or no match),
  // kInvalidPattern with PCRE2's message when matching hit a work or memory limit (a pattern
  // that backtracks catastrophically) or failed otherwise. A loop that ended early because of
  // such an error leaves it here.
  virtual const Status& last_error() const = 0;

  // Every non-overlapping match in increasing order, empty matches included and stepped over
  // (never looping). `on_match(begin, end)` returns false to stop early. Check last_error()
  // afterwards to tell "no more matches" from "the engine gave up".
  template <typename F>
  void ForEachMatch(std::u16string_view text, F&& on_match);

  // Rewrites every match (or only the first when !global) with `replacement`, where $1..$9 are
  // the groups (empty when the group did not take part; $n for a group the pattern does not
  // have stays as written), $$ is one dollar sign, and any other dollar sign is itself ($0 and
  // $& included). Matches are found as ForEachMatch finds them. With `one_hit`, `text` is a
  // single match cut out of a longer text: an empty match at the end of a non-empty `text`
  // stands for the place behind that match, not for a part of it, and is left alone. When the
  // engine gives up, `text` is returned unchanged and last_error() says why.
  virtual std::u16string Replace(std::u16string_view text, std::u16string_view replacement,
                                 bool global, bool one_hit = false) = 0;

 private:
  size_t stretch_pace_ = 0;
};

// One call: all matches of `pattern` in `text` (every match with `global`, else the first),
// in multi-line mode. On a matching error the matches found before it stay in `matches`.
Status RegExpExecute(const std::u16string& text, const std::u16string& pattern,
                     std::vector<RegExpMatch>& matches, bool ignore_case, bool global);

// One call: `text` with its matches replaced, multi-line mode off (^ and $ anchor at the ends
// of `text` only). On any error `result` is `text` unchanged.
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
    start = end > begin ? end : NextStartAfterEmptyMatch(text, end);
  }
}

}  // namespace quonder
