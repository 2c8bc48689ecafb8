#include "core/search/line_preview.h"

#include <algorithm>

namespace quonder {
namespace {

bool IsLineBreak(char16_t c) { return c == u'\r' || c == u'\n'; }
bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Moves a cut at `at` so that it does not fall inside a surrogate pair; `forward` picks the
// side that leaves the pair out of the shown text.
size_t KeepPairsWhole(std::u16string_view text, size_t at, bool forward) {
  if (at == 0 || at >= text.size()) return at;
  if (IsHighSurrogate(text[at - 1]) && IsLowSurrogate(text[at])) return forward ? at + 1 : at - 1;
  return at;
}

}  // namespace

bool ExtractLinePreview(std::u16string_view text, int64_t pointer, std::u16string_view expected_hit,
                        size_t max_chars, LinePreview& preview, bool more_before, bool more_after) {
  if (pointer < 1 || static_cast<size_t>(pointer) - 1 > text.size()) return false;
  const size_t start = static_cast<size_t>(pointer) - 1;

  size_t line_start = start;
  while (line_start > 0 && !IsLineBreak(text[line_start - 1])) --line_start;
  size_t line_end = start;
  while (line_end < text.size() && !IsLineBreak(text[line_end])) ++line_end;
  const size_t hit_end = std::min(start + expected_hit.size(), line_end);

  LinePreview out;
  out.stale = text.substr(start, expected_hit.size()) != expected_hit;

  size_t shown_start = line_start;
  size_t shown_end = line_end;
  size_t shown_hit_end = hit_end;
  if (line_end - line_start > max_chars) {
    if (hit_end - start >= max_chars) {
      // The hit alone fills the preview: keep its start.
      shown_start = start;
      shown_hit_end = shown_end = KeepPairsWhole(text, start + max_chars, false);
    } else {
      const size_t room = max_chars - (hit_end - start);
      const size_t before_len = start - line_start;
      const size_t after_len = line_end - hit_end;
      // Half the room on each side; a short side gives what it does not need to the other.
      size_t left = std::min(before_len, room / 2);
      const size_t right = std::min(after_len, room - left);
      left = std::min(before_len, room - right);
      shown_start = KeepPairsWhole(text, start - left, true);
      shown_end = KeepPairsWhole(text, hit_end + right, false);
    }
  }
  out.cut_before = shown_start > line_start || (more_before && shown_start == 0);
  out.cut_after = shown_end < line_end || (more_after && shown_end == text.size());
  out.before = std::u16string(text.substr(shown_start, start - shown_start));
  out.hit = std::u16string(text.substr(start, shown_hit_end - start));
  out.after = std::u16string(text.substr(shown_hit_end, shown_end - shown_hit_end));
  preview = std::move(out);
  return true;
}

}  // namespace quonder
