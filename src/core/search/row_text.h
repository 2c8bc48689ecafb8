// A result row as one line of text: the form `quonder-cli find` prints and the window copies.
//
// Tab-separated: No., File Path, Line, Column, Found, Pointer, and a line feed. The path and
// the Found text go through the escape coding (backslash, CR, LF, TAB and VT as \\ \r \n \t
// \v), so that every row is one line and the cells never hold a tab.
#pragma once

#include <string>
#include <string_view>

#include "core/search/find_host.h"

namespace quonder {

// Appends `row` as one tab-separated line (UTF-8). `found_escaped`: the row's Found cell is
// already escaped (it comes from a regular-expression run).
void AppendTabbedRow(const ResultRow& row, bool found_escaped, std::string& out);

// `path` as a row shows it: escaped (EscapeControlChars) when it holds a character that has
// an escape sequence, so that it stays on one line; else as it is.
std::string PathForLine(const std::string& path);
// The same, appended to `out` (a row per hit: no copy of a path that needs no escape).
void AppendPathForLine(const std::string& path, std::string& out);

// Appends `text` as UTF-8 with the five escape sequences, as EscapeControlChars does.
void AppendEscapedUtf8(std::u16string_view text, std::string& out);

}  // namespace quonder
