// Reading the pieces of a pattern as PCRE2 reads them: characters, the escapes that stand for
// one character or a set of them, character classes (as the set of characters they may match)
// and quantifier braces. For the literal reading of reg_exp_literal.h, and as conservative:
// whatever a method does not fully understand it refuses (returns false), and the caller then gives
// up.
#pragma once

#include <cstddef>
#include <limits>
#include <string_view>

#include "core/search/fast/reg_exp_literal.h"

namespace quonder {
namespace literal_internal {

// The upper bound of a quantifier without one ({n,}, *, +).
inline constexpr size_t kNoLimit = std::numeric_limits<size_t>::max();

inline bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
inline bool IsHigh(char16_t c) { return (c & 0xFC00) == 0xD800; }
inline bool IsLow(char16_t c) { return (c & 0xFC00) == 0xDC00; }
inline bool IsAsciiAlnum(char16_t c) {
  return IsDigit(c) || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// The characters of the escape \`letter` that stands for a set (\d \D \w \W \s \S \h \H \V,
// \p \P), twice: `maybe` holds every character it may match, `surely` only characters it
// matches for certain (\p: none). False when `letter` names no such set.
bool EscapeSet(char16_t letter, CharSet& surely, CharSet& maybe);

// What ignoring case adds to `set` when it lists what may match: the other case of each ASCII
// letter, the characters beyond ASCII that match k and s (KELVIN SIGN, LONG S), and every ASCII
// letter when the set holds characters beyond ASCII (some fold onto them).
CharSet MaybeIgnoringCase(CharSet set);
// The same for a set of characters matched for certain: the other case of each ASCII letter.
CharSet SurelyIgnoringCase(CharSet set);

class PatternScanner {
 public:
  explicit PatternScanner(std::u16string_view pattern) : p_(pattern) {}

  bool More() const { return at_ < p_.size(); }
  // The unit `ahead` units on, or 0 beyond the end.
  char16_t Peek(size_t ahead = 0) const {
    return at_ + ahead < p_.size() ? p_[at_ + ahead] : char16_t{0};
  }
  void Skip(size_t units = 1) { at_ += units; }

  // One character, a surrogate pair as one. False on a lone surrogate.
  bool ReadCodePoint(char32_t& value);
  // The character that the escape \`letter` stands for (\n \r \t \f \e \a, \x with two hex
  // digits or braces, \o with braces, \0 with octal digits, \c and a character), with the
  // backslash and the letter read. False when it is none of those, or a surrogate code.
  bool ReadCharEscape(char16_t letter, char32_t& value);
  // The property of \p or \P ({name} or one letter), with the backslash and the letter read.
  bool ReadProperty();
  // A character class from its '['; `chars` receives every character it may match (ignoring
  // case when `caseless`).
  bool ReadClass(bool caseless, CharSet& chars);
  // Whether the '{' here quantifies (or is an error) in some PCRE2 version: a digit, a comma or
  // a space follows it. Any other brace is a literal in all of them.
  bool BraceMayQuantify() const;
  // {n}, {n,} (max kNoLimit) or {n,m} from the '{', digits only: what every PCRE2 version reads
  // as a quantifier.
  bool ReadBraces(size_t& min, size_t& max);
  // Moves behind a group's name from here and the `close` that ends it. Only ASCII names that
  // PCRE2 accepts: word characters, not a digit first (so that (?<* and the like are refused).
  bool SkipGroupName(char16_t close);

 private:
  bool ReadNumber(int base, size_t max_digits, char32_t& value);
  bool ReadBraced(int base, char32_t& value);
  bool ReadPosixClass(bool caseless, CharSet& surely, CharSet& maybe);
  // One item of a class: a character (`is_set` false) or a set such as \d.
  bool ReadClassItem(char32_t& value, bool& is_set, CharSet& surely, CharSet& maybe);

  std::u16string_view p_;
  size_t at_ = 0;
};

}  // namespace literal_internal
}  // namespace quonder
