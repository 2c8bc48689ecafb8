#include "core/search/stoppable_matching.h"

#include <algorithm>

namespace quonder {
namespace {

// A stretch holds at least two start positions.
constexpr size_t kShortest = 2;

// Whether a character begins at `at` (`at` < the text's size).
bool IsCharStart(std::u16string_view text, size_t at) {
  return at == 0 || (text[at] & 0xFC00) != 0xDC00 || (text[at - 1] & 0xFC00) != 0xD800;
}
bool IsCharStart(std::string_view bytes, size_t at) {
  return (static_cast<unsigned char>(bytes[at]) & 0xC0) != 0x80;
}

template <typename Text>
bool IsLfOfCrLf(Text text, size_t at) {
  return at > 0 && at < text.size() && text[at] == '\n' && text[at - 1] == '\r';
}

// Moves `next` off the edges of a CR LF pair. A stretch must not begin on the LF: searching on
// from the CR, the engine passes over the LF as one pass does (unless the pattern names CR or
// LF itself), while a search beginning there tries it. Nor may a stretch end on the LF: PCRE2
// then takes the line start of `^` on the LF instead of after it. Back when it can (stepping
// only across CR and LF), else on to the next character's start off those edges.
template <typename Text>
size_t OffCrLf(Text text, size_t start, size_t next) {
  auto on_edge = [&](size_t at) { return IsLfOfCrLf(text, at) || IsLfOfCrLf(text, at - 1); };
  size_t back = next;
  while (back > start + 1 && on_edge(back)) --back;
  if (!on_edge(back)) return back;
  while (next < text.size() && (on_edge(next) || !IsCharStart(text, next))) ++next;
  return next < text.size() ? next : text.size() + 1;
}

template <typename Text>
size_t NextStretchIn(Text text, size_t start, size_t length) {
  size_t next = start + std::max(length, kShortest);
  while (next < text.size() && !IsCharStart(text, next)) ++next;
  if (next >= text.size()) return text.size() + 1;
  return OffCrLf(text, start, next);
}

// Whether the text holds a brace that may repeat something no times ({0}, {0,0}, and {,0} or
// { 0 } as newer PCRE2 versions read them), escaped or not.
bool MayRepeatNoTimes(std::u16string_view pattern) {
  for (size_t open = pattern.find(u'{'); open != std::u16string_view::npos;
       open = pattern.find(u'{', open + 1)) {
    const size_t close = pattern.find_first_not_of(u"0123456789, \t", open + 1);
    if (close == std::u16string_view::npos || pattern[close] != u'}') continue;
    std::u16string_view bounds = pattern.substr(open + 1, close - open - 1);
    const size_t comma = bounds.rfind(u',');
    if (comma != std::u16string_view::npos) bounds.remove_prefix(comma + 1);
    if (bounds.find_first_not_of(u" \t") != std::u16string_view::npos &&
        bounds.find_first_not_of(u"0 \t") == std::u16string_view::npos) {
      return true;
    }
  }
  return false;
}

}  // namespace

bool StartsCanBeSplit(std::u16string_view pattern) {
  return pattern.find(u"\\G") == std::u16string_view::npos &&
         pattern.find(u"(*") == std::u16string_view::npos && !MayRepeatNoTimes(pattern);
}

namespace stoppable_internal {

size_t NextStretch(std::u16string_view text, size_t start, size_t length) {
  return NextStretchIn(text, start, length);
}

size_t NextStretch(std::string_view bytes, size_t start, size_t length) {
  return NextStretchIn(bytes, start, length);
}

bool CanSplit(std::u16string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    if ((text[i] & 0xF800) != 0xD800) continue;
    if ((text[i] & 0xFC00) != 0xD800 || i + 1 == text.size() || (text[i + 1] & 0xFC00) != 0xDC00) {
      return false;
    }
    ++i;
  }
  return true;
}

}  // namespace stoppable_internal
}  // namespace quonder
