// Cutting the line of a hit out of a file's text for a preview.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quonder {

// A hit's line split into the text before the hit, the hit and the text after it.
struct LinePreview {
  std::u16string before;
  std::u16string hit;  // to the end of the line at most: a hit spanning lines is cut
  std::u16string after;
  bool cut_before = false;  // text of the line before `before` was left out
  bool cut_after = false;   // text of the line after `after` was left out
  bool stale = false;       // the text at the pointer is not the expected hit
};

// Finds the line of `text` holding the 1-based `pointer` (a line ends at CR or LF, whatever the
// run's line feed code, so the preview looks like the line an editor shows) and splits it
// around the hit of `expected_hit.size()` units. When the line is longer than `max_chars`, text
// is left out on both sides so that the hit sits near the middle; a hit longer than `max_chars`
// keeps its start. A cut never splits a surrogate pair. False when the pointer lies outside the
// text; `preview` is then untouched.
// `text` may be a part of the file's text: `more_before` / `more_after` say that the file goes
// on before / after it, so that a line reaching the part's edge counts as cut there.
bool ExtractLinePreview(std::u16string_view text, int64_t pointer, std::u16string_view expected_hit,
                        size_t max_chars, LinePreview& preview, bool more_before = false,
                        bool more_after = false);

}  // namespace quonder
