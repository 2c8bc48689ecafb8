// The find run's pattern matched over a file's raw bytes when they are valid UTF-8 (pure ASCII
// included), so such a file is never decoded: PCRE2's 8-bit library with the same reading of
// the pattern and the same options as RegExp (reg_exp_pattern.h), which finds the same
// matches at the same characters. Positions here are byte offsets; text_views.h turns them
// into UTF-16 positions.
#pragma once

#include <memory>
#include <string_view>

#include "core/search/reg_exp.h"
#include "core/status.h"

namespace quonder {

class Utf8RegExp {
 public:
  // Null when the pattern cannot be compiled for bytes, or holds a backtracking verb "(*"
  // (RegExp::Compile reports why when it rejects it too; otherwise the caller decodes and uses
  // RegExp).
  static std::unique_ptr<Utf8RegExp> Compile(std::u16string_view pattern, RegExp::Options options);

  virtual ~Utf8RegExp() = default;

  // The first match that starts at or after byte `start`, as RegExp::Find. REQUIRES: `bytes`
  // is valid UTF-8 and `start` is on a character boundary.
  bool Find(std::string_view bytes, size_t start, size_t& begin, size_t& end) {
    return FindStartingBy(bytes, start, std::string_view::npos, begin, end);
  }

  // The first match that starts in [start, last_start], as RegExp::FindStartingBy.
  // REQUIRES: as Find.
  virtual bool FindStartingBy(std::string_view bytes, size_t start, size_t last_start,
                              size_t& begin, size_t& end) = 0;

  // Whether it was compiled with bounded_starts.
  virtual bool bounded_starts() const = 0;
  // The stretch length a search in stretches of start positions reached with this pattern
  // (stoppable_matching.h), for the next text; 0 at first.
  size_t& stretch_pace() { return stretch_pace_; }

  // OK, or why the last Find gave up (a work or memory limit), as RegExp::last_error().
  virtual const Status& last_error() const = 0;

  // Every non-overlapping match, stepping over empty ones as RegExp::ForEachMatch does (one
  // character on, a CR LF pair as one).
  template <typename F>
  void ForEachMatch(std::string_view bytes, F&& on_match);

 private:
  size_t stretch_pace_ = 0;
};

// Where to search next after an empty match that ends at byte `end`.
inline size_t NextStartAfterEmptyMatch(std::string_view bytes, size_t end) {
  if (end >= bytes.size()) return end + 1;
  unsigned char c = static_cast<unsigned char>(bytes[end]);
  if (c == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n') return end + 2;
  size_t length = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
  return end + length;
}

template <typename F>
void Utf8RegExp::ForEachMatch(std::string_view bytes, F&& on_match) {
  size_t start = 0;
  while (start <= bytes.size()) {
    size_t begin, end;
    if (!Find(bytes, start, begin, end)) return;
    if (!on_match(begin, end)) return;
    start = end > begin ? end : NextStartAfterEmptyMatch(bytes, end);
  }
}

}  // namespace quonder
