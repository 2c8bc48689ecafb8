// What a pattern's syntax tells about every match it can have, so that a search may look for a
// literal first and run the engine only around it: a text that every match contains, which
// characters a match can hold, and how far it can reach. The reading is conservative: the
// pattern is read as the engine reads it (reg_exp_pattern.h: PCRE2's syntax with the dialect's
// escapes rewritten), and anything it does not fully understand (backreferences, recursion,
// conditionals, verbs, \G, \K, extended mode, a brace that is not plainly a quantifier or
// plainly a literal, ...) gives no literal.
#pragma once

#include <bitset>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace quonder {

// A set of characters: exact for ASCII, one flag for all the others.
struct CharSet {
  std::bitset<128> ascii;
  bool others = false;

  bool Has(char32_t c) const { return c < 128 ? ascii[c] : others; }
  void Add(char32_t c) {
    if (c < 128) {
      ascii.set(c);
    } else {
      others = true;
    }
  }
  void AddAll() {
    ascii.set();
    others = true;
  }
  CharSet& operator|=(const CharSet& other) {
    ascii |= other.ascii;
    others = others || other.others;
    return *this;
  }
};

struct RequiredLiteral {
  // Every match contains this text. Never empty; whole characters.
  std::u16string text;
  // When true, ASCII letters of `text` (given in lower case) match either case; every other
  // character, and every letter when false, matches only itself. A letter is only ever made
  // caseless when no non-ASCII character matches it ignoring case (KELVIN SIGN, LONG S).
  bool caseless = false;
  // Every character of every match is in this set, so a match lies inside one stretch of text
  // without a character outside it.
  CharSet chars;
  // True when no match contains CR or LF (`chars` holds neither), so every match lies inside
  // one line (whatever the line feed code of the run).
  bool within_line = false;
  // When !within_line: no match is longer than this many characters (at most kMaxReach).
  size_t max_chars = 0;
};

// Patterns whose matches may cross lines get a literal only when no match is longer than this.
inline constexpr size_t kMaxReach = 256;

// The literal of `pattern` as RegExp compiles it (multi-line, `ignore_case` as given), or
// nullopt when none is known. Among several, the one least likely to occur in text.
std::optional<RequiredLiteral> FindRequiredLiteral(std::u16string_view pattern, bool ignore_case);

// Every character a match of `pattern` may hold (read as FindRequiredLiteral reads it, whether
// or not it has a literal), or nullopt when the pattern is not fully understood.
std::optional<CharSet> FindMatchCharacters(std::u16string_view pattern, bool ignore_case);

}  // namespace quonder
