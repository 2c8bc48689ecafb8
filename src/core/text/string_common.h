// The escape coding shared by the settings file, the result list and the replace run:
// backslash, CR, LF, TAB and VT are written as \\ \r \n \t \v so that any text fits one line.
// Every escaped character is ASCII, so the UTF-8 overloads work byte-wise and agree with the
// UTF-16 ones on the same text.
#pragma once

#include <string>

namespace quonder {

// Each of the five characters becomes its two-character sequence; everything else is kept.
std::u16string EscapeControlChars(const std::u16string& text);
std::string EscapeControlChars(const std::string& text);

// Reads pairs left to right: a backslash and one of \ r n t v (lower case only) become that
// character; a backslash before anything else, or at the very end, is kept as written.
// UnescapeControlChars(EscapeControlChars(t)) == t for every t.
std::u16string UnescapeControlChars(const std::u16string& text);
std::string UnescapeControlChars(const std::string& text);

// The text before its first NUL, or the whole text when it holds none.
std::u16string CutAtNull(const std::u16string& text);
std::string CutAtNull(const std::string& text);

}  // namespace quonder
