// Blanks as the settings file, its numbers and the code set table read them: spaces and tabs
// only (a CR, an LF or a non-ASCII space is text). One definition, so that a value trimmed by
// the INI reader and a number read from it agree on what surrounds them.
#pragma once

#include <string_view>

namespace quonder {

inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// `text` without its leading and trailing blanks; a view into `text`.
inline std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace quonder
