// The case fold behind plain search ignoring case. Every UTF-16 code unit maps to exactly one
// code unit (Unicode simple case folding), so É/é, Σ/σ/ς, Я/я and Ａ/ａ compare equal, KELVIN
// SIGN folds onto 'k' and LONG S onto 's', and folding never changes a text's length: a hit
// found in folded text has the same position and length in the original. Surrogates fold to
// themselves, so letters outside the BMP compare exactly.
//
// Thread-safe: the table is built once, on first use.
#pragma once

#include <string>
#include <string_view>

namespace quonder {

// 65536 entries: FoldTable()[u] is the fold of the code unit u. Valid for the whole program.
const char16_t* FoldTable();

inline char16_t FoldCase(char16_t unit) { return FoldTable()[unit]; }

// `folded` becomes `text` with every unit folded (its capacity is reused).
void FoldText(std::u16string_view text, std::u16string& folded);
std::u16string FoldText(std::u16string_view text);

// True when some non-ASCII code unit folds onto the ASCII character `ascii` (its fold is
// compared), so that bytes alone cannot rule out a caseless hit on it: true for k and s.
bool HasNonAsciiFoldMate(char ascii);

// The non-ASCII code units that fold onto the same unit as the ASCII character `ascii`.
std::u16string NonAsciiFoldMates(char ascii);

}  // namespace quonder
