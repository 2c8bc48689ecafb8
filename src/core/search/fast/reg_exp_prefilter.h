// Finding a pattern's matches by a literal that every match contains (reg_exp_literal.h): the
// literal is searched for with the byte search of plain mode, and the engine runs only where a
// match may begin around an occurrence: in the stretch of characters that a match may hold
// around it (for \w+_t\b the word, for most patterns at most the line) and, for a pattern
// whose short matches may cross lines, within the longest match's reach of it. The engine
// always sees the whole text (lookarounds, ^ $ and \b read past the window), and only where a
// match begins is limited, to where one can be. So the matches, their order and where each
// search resumes are exactly those of RegExp::ForEachMatch over the whole text.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "core/search/fast/byte_search.h"
#include "core/search/fast/reg_exp_literal.h"
#include "core/search/fast/utf8_reg_exp.h"
#include "core/search/reg_exp.h"

namespace quonder {

class RegExpPrefilter {
 public:
  // The prefilter for `pattern` compiled with `options` (multi-line). Null when no literal is
  // known, and when it would not pay: the engine finds where a match may start fast by itself
  // (a fixed first character that is not among the most common, or only a few possible first
  // bytes), or the literal is one very common character.
  static std::unique_ptr<RegExpPrefilter> Make(std::u16string_view pattern,
                                               RegExp::Options options);

  // The prefilter for `literal`, which must be FindRequiredLiteral's for the pattern the
  // engines are given.
  explicit RegExpPrefilter(RequiredLiteral literal);

  const RequiredLiteral& literal() const { return literal_; }

  // Every match of `engine` in `text`, as its ForEachMatch gives them: `on_match(begin, end)`
  // returns false to stop. Check engine.last_error() afterwards. The engine must have been
  // compiled from the pattern of the literal, with the same ignore-case flag, multi-line and
  // with bounded_starts.
  template <typename F>
  void ForEachMatch(std::u16string_view text, RegExp& engine, F&& on_match) const {
    ForEachMatch(text, engine, on_match, [] { return false; });
  }
  // REQUIRES: `bytes` is valid UTF-8 (as Utf8RegExp requires).
  template <typename F>
  void ForEachMatch(std::string_view bytes, Utf8RegExp& engine, F&& on_match) const {
    ForEachMatch(bytes, engine, on_match, [] { return false; });
  }
  // As above, with `stop()` asked after each occurrence of the literal around which no match
  // begins: a pattern that backtracks at length around many occurrences lets a stop through.
  // Returns false when stop() ended the search.
  template <typename Text, typename Engine, typename F, typename Stop>
  bool ForEachMatch(Text text, Engine& engine, F&& on_match, Stop&& stop) const {
    return Run(text, engine, on_match, stop);
  }

 private:
  size_t Find(std::string_view bytes, size_t from) const { return bytes_.Find(bytes, from); }
  size_t Find(std::u16string_view text, size_t from) const;
  // How far before an occurrence a match may begin, in code units of the text.
  size_t Reach(std::string_view) const { return reach_bytes_; }
  size_t Reach(std::u16string_view) const { return reach_units_; }
  // Whether no match holds the character of this code unit.
  bool Stops(char c) const { return stops_[static_cast<unsigned char>(c)]; }
  bool Stops(char16_t c) const { return c < 128 ? stops_[c] : stops_[128]; }

  template <typename Text, typename Engine, typename F, typename Stop>
  bool Run(Text text, Engine& engine, F& on_match, Stop& stop) const;

  RequiredLiteral literal_;
  ByteFinder bytes_;      // the literal in UTF-8
  std::u16string units_;  // the literal in UTF-16, letters in lower case when caseless
  size_t reach_bytes_ = 0;
  size_t reach_units_ = 0;
  // By byte (bytes from 128 on stand for every character beyond ASCII): no match holds it.
  std::array<bool, 256> stops_{};
};

namespace prefilter_internal {

// `position`, moved on to the next character boundary of valid UTF-8 (UTF-16: unchanged, the
// engine steps over a trail surrogate itself).
size_t CharacterStart(std::string_view bytes, size_t position);
inline size_t CharacterStart(std::u16string_view, size_t position) { return position; }

}  // namespace prefilter_internal

template <typename Text, typename Engine, typename F, typename Stop>
bool RegExpPrefilter::Run(Text text, Engine& engine, F& on_match, Stop& stop) const {
  using prefilter_internal::CharacterStart;
  const size_t size = text.size();
  const size_t reach = literal_.within_line ? size : Reach(text);
  // The first character no match holds at or after the occurrence that asked for it last:
  // still the first one after any later occurrence before it.
  size_t run_end = 0;
  bool run_end_known = false;
  size_t start = 0;
  // Where ForEachMatch would have begun the engine's current search: the end of the last match
  // (stepped over when empty).
  size_t resumed = 0;
  // Invariant: no match begins in [0, start) other than those handed on, and the next match
  // is the first that begins at or after `start`, the engine having searched on from `resumed`.
  while (start <= size) {
    const size_t at = Find(text, start);
    if (at == Text::npos) return true;
    // Every match that begins at or after `start` contains an occurrence at or after `at`, so
    // it begins in the stretch of characters that matches may hold around that occurrence
    // (its line, when no match holds a line feed), and at most `reach` before it.
    size_t from = at - start > reach ? at - reach : start;
    for (size_t i = at; i > from; --i) {
      if (Stops(text[i - 1])) {
        from = i;
        break;
      }
    }
    if (!run_end_known || run_end < at) {
      run_end = at;
      while (run_end < size && !Stops(text[run_end])) ++run_end;
      run_end_known = true;
    }
    const size_t last_start = size - at > reach ? std::min(run_end, at + reach) : run_end;
    from = CharacterStart(text, from);
    // Having failed at a CR, the engine steps over the LF behind it (unless the pattern names
    // CR or LF itself): it would have done so coming from `resumed`, so it must come from the CR.
    if (from > resumed && text[from] == '\n' && text[from - 1] == '\r') --from;
    size_t begin = 0, end = 0;
    if (engine.FindStartingBy(text, from, last_start, begin, end)) {
      if (!on_match(begin, end)) return true;
      start = resumed = end > begin ? end : NextStartAfterEmptyMatch(text, end);
    } else {
      if (!engine.last_error().ok()) return true;
      start = last_start + 1;
      if (stop()) return false;
    }
  }
  return true;
}

}  // namespace quonder
