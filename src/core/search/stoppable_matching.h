// Matching a whole text a stretch of start positions at a time. The engine's work limit holds
// per start position, so a pattern that backtracks at length but legally (`(\w+\s?)+$` over
// lines of twenty letters and a '!') can take minutes over one file without a match, and a
// single engine call would keep a stop request waiting all that time. Split into stretches,
// the stop request is asked between them, and the matches are exactly those of one pass: each
// stretch sees the whole text (lookarounds, anchors and \b read past its ends), and only where
// a match may start is limited.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <string_view>

#include "core/search/fast/utf8_reg_exp.h"
#include "core/search/reg_exp.h"

namespace quonder {

// Whether `pattern` finds the same matches when the start positions are tried in stretches,
// each a search of its own: nothing in it reads where the search began (\G), ends a search
// from inside a match attempt (the backtracking verbs, such as (*COMMIT) and (*SKIP)), or
// repeats a group no times (PCRE2 10.42 may then anchor the pattern, or tie it to line starts,
// by that group's last branch: (?:x|^){0}_t matches only where a search begins).
// Conservative: any "\G", "(*" or "{0}" in the text counts, escaped or not.
bool StartsCanBeSplit(std::u16string_view pattern);

namespace stoppable_internal {

// The start of the stretch after the one that begins at `start` and would hold `length` start
// positions: never inside a character (a surrogate pair, a UTF-8 sequence), and never between
// the CR and the LF of a line end, which the engine itself never tries. Always > `start`.
size_t NextStretch(std::u16string_view text, size_t start, size_t length);
size_t NextStretch(std::string_view bytes, size_t start, size_t length);

// Whether the text can be searched in stretches at all. Not a UTF-16 text with an unpaired
// surrogate: around one, the engine's one pass misses matches that a search starting behind
// it finds (`.*_t` over "a\xDC00_t": the pass from 0 skips the line after failing at its
// start), so stretches would make the matches depend on where they fall. Bytes are valid UTF-8.
bool CanSplit(std::u16string_view text);
inline bool CanSplit(std::string_view) { return true; }

// The first stretch is short, so that even a pattern that takes milliseconds per start position
// lets a stop through soon; a stretch that goes by quickly doubles the next one, one that takes
// long halves it. The length reached is carried to the next text (see `pace` below).
inline constexpr size_t kFirstStretch = 64;
inline constexpr size_t kLongestStretch = size_t{1} << 24;
inline constexpr auto kQuickStretch = std::chrono::milliseconds(2);
inline constexpr auto kSlowStretch = std::chrono::milliseconds(20);

}  // namespace stoppable_internal

// Every match of `engine` in `text`, the same as engine.ForEachMatch gives them, with `stop()`
// asked after each stretch that holds no match. `on_match(begin, end)` returns false to end
// early. Returns false when stop() ended it. Check engine.last_error() afterwards.
// `pace` is the stretch length to begin with (0: kFirstStretch) and, on return, the one
// reached: kept from one text to the next for the same pattern, a fast pattern searches a
// typical file in one engine call. (Where the engine gives up near its work limit, whether it
// does can depend on where a search began: PCRE2 is not consistent there.)
// REQUIRES: `engine` compiled with bounded_starts from a pattern for which StartsCanBeSplit
// holds; for bytes, what Utf8RegExp::Find requires.
template <typename Text, typename Engine, typename OnMatch, typename Stop>
bool ForEachMatchStoppable(Text text, Engine& engine, OnMatch&& on_match, Stop&& stop,
                           size_t& pace) {
  namespace in = stoppable_internal;
  using Clock = std::chrono::steady_clock;
  if (!in::CanSplit(text)) {
    engine.ForEachMatch(text, on_match);
    return true;
  }
  if (pace == 0) pace = in::kFirstStretch;
  size_t& length = pace;
  size_t start = 0;
  while (start <= text.size()) {
    const size_t next = in::NextStretch(text, start, length);
    const Clock::time_point began = Clock::now();
    size_t begin, end;
    if (engine.FindStartingBy(text, start, next - 1, begin, end)) {
      if (!on_match(begin, end)) return true;
      start = end > begin ? end : NextStartAfterEmptyMatch(text, end);
      continue;
    }
    if (!engine.last_error().ok() || next > text.size()) return true;
    const Clock::duration took = Clock::now() - began;
    if (took < in::kQuickStretch) {
      length = std::min(length * 2, in::kLongestStretch);
    } else if (took > in::kSlowStretch) {
      length = std::max<size_t>(length / 2, 1);
    }
    start = next;
    if (stop()) return false;
  }
  return true;
}

}  // namespace quonder
