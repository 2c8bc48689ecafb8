#include "core/search/fast/reg_exp_literal.h"

#include <algorithm>

#include "core/search/fast/byte_search.h"
#include "core/search/fast/reg_exp_syntax.h"
#include "core/search/reg_exp_pattern.h"
#include "core/text/caseless_fold.h"

namespace quonder {
namespace {

using literal_internal::IsAsciiAlnum;
using literal_internal::IsDigit;
using literal_internal::IsHigh;
using literal_internal::IsLow;
using literal_internal::PatternScanner;

constexpr size_t kUnbounded = literal_internal::kNoLimit;
// Longer literals add nothing to a search and would only cost memory in patterns like a{9999}.
constexpr size_t kMaxLiteral = 64;

// Text that matches exactly; `caseless[i]` is 1 where units[i] is an ASCII letter (in lower
// case) that matches either case.
struct Lit {
  std::u16string units;
  std::u16string caseless;

  size_t size() const { return units.size(); }
  bool empty() const { return units.empty(); }
  bool operator==(const Lit& other) const {
    return units == other.units && caseless == other.caseless;
  }
  Lit Sub(size_t from, size_t count) const {
    return {units.substr(from, count), caseless.substr(from, count)};
  }
};

Lit Concat(const Lit& a, const Lit& b) { return {a.units + b.units, a.caseless + b.caseless}; }

// The first (or last) at most kMaxLiteral units, never splitting a surrogate pair.
Lit Head(const Lit& lit) {
  if (lit.size() <= kMaxLiteral) return lit;
  size_t n = kMaxLiteral;
  if (IsLow(lit.units[n])) --n;
  return lit.Sub(0, n);
}
Lit Tail(const Lit& lit) {
  if (lit.size() <= kMaxLiteral) return lit;
  size_t from = lit.size() - kMaxLiteral;
  if (IsLow(lit.units[from])) ++from;
  return lit.Sub(from, lit.size() - from);
}

// How unlikely the literal is to occur in text: rarer and longer is better.
int64_t Score(const Lit& lit) {
  int64_t score = 0;
  for (size_t i = 0; i < lit.size(); ++i) {
    char16_t c = lit.units[i];
    score += c < 0x80 ? 1100 - ByteCommonness(static_cast<unsigned char>(c), lit.caseless[i] != 0)
                      : 2000;
  }
  return score;
}

const Lit& Better(const Lit& a, const Lit& b) { return Score(b) > Score(a) ? b : a; }

// What is known of every match of one part of a pattern.
struct Info {
  bool has_exact = true;  // the part always matches exactly `exact`
  Lit exact;
  Lit prefix;            // every match begins with it
  Lit suffix;            // every match ends with it
  Lit best;              // every match contains it
  CharSet chars;         // every character a match may hold
  size_t max_chars = 0;  // the longest match, kUnbounded when there is no bound
};

size_t AddChars(size_t a, size_t b) { return a > kUnbounded - b ? kUnbounded : a + b; }
size_t TimesChars(size_t a, size_t times) {
  if (a == 0 || times == 0) return 0;
  return a > kUnbounded / times ? kUnbounded : a * times;
}

// Nothing: what assertions match.
Info Empty() { return Info(); }

// One character of `chars`, not known.
Info AnyOne(const CharSet& chars) {
  Info info;
  info.has_exact = false;
  info.chars = chars;
  info.max_chars = 1;
  return info;
}

CharSet AllBut(std::u16string_view excluded) {
  CharSet set;
  set.AddAll();
  for (char16_t c : excluded) set.ascii.reset(c);
  return set;
}

Info Sequence(const Info& a, const Info& b) {
  Info info;
  info.chars = a.chars;
  info.chars |= b.chars;
  info.max_chars = AddChars(a.max_chars, b.max_chars);
  const Lit joined = Concat(a.suffix, b.prefix);
  info.has_exact = a.has_exact && b.has_exact && joined.size() <= kMaxLiteral;
  if (info.has_exact) info.exact = joined;
  info.prefix = a.has_exact ? Head(Concat(a.exact, b.prefix)) : a.prefix;
  info.suffix = b.has_exact ? Tail(Concat(a.suffix, b.exact)) : b.suffix;
  info.best = Better(Better(a.best, b.best), Better(Head(joined), Tail(joined)));
  info.best = Better(info.best, Better(info.prefix, info.suffix));
  return info;
}

Info Alternative(const Info& a, const Info& b) {
  Info info;
  info.chars = a.chars;
  info.chars |= b.chars;
  info.max_chars = std::max(a.max_chars, b.max_chars);
  info.has_exact = a.has_exact && b.has_exact && a.exact == b.exact;
  if (info.has_exact) info.exact = a.exact;
  size_t n = 0;
  while (n < a.prefix.size() && n < b.prefix.size() && a.prefix.units[n] == b.prefix.units[n] &&
         a.prefix.caseless[n] == b.prefix.caseless[n]) {
    ++n;
  }
  if (n > 0 && IsHigh(a.prefix.units[n - 1])) --n;
  info.prefix = a.prefix.Sub(0, n);
  n = 0;
  while (n < a.suffix.size() && n < b.suffix.size() &&
         a.suffix.units[a.suffix.size() - 1 - n] == b.suffix.units[b.suffix.size() - 1 - n] &&
         a.suffix.caseless[a.suffix.size() - 1 - n] == b.suffix.caseless[b.suffix.size() - 1 - n]) {
    ++n;
  }
  if (n > 0 && IsLow(a.suffix.units[a.suffix.size() - n])) --n;
  info.suffix = a.suffix.Sub(a.suffix.size() - n, n);
  info.best = Better(info.prefix, info.suffix);
  return info;
}

Info Repeat(const Info& atom, size_t min, size_t max) {
  Info info;
  info.chars = atom.chars;
  info.max_chars =
      max == kUnbounded ? (atom.max_chars == 0 ? 0 : kUnbounded) : TimesChars(atom.max_chars, max);
  if (max == 0) return Empty();
  if (min == 0) {
    info.has_exact = false;
    return info;
  }
  Lit repeated;
  if (atom.has_exact) {
    for (size_t i = 0; i < min && repeated.size() <= kMaxLiteral; ++i) {
      repeated = Concat(repeated, atom.exact);
    }
  }
  info.has_exact = atom.has_exact && min == max && repeated.size() <= kMaxLiteral;
  if (info.has_exact) info.exact = repeated;
  info.prefix = atom.has_exact ? Head(repeated) : atom.prefix;
  info.suffix = atom.has_exact ? Tail(repeated) : atom.suffix;
  info.best = Better(atom.best, Better(info.prefix, info.suffix));
  return info;
}

// A recursive-descent reader of the pattern. Every method returns false when the pattern uses
// something the reading does not cover; the whole reading then gives no literal.
class Reader {
 public:
  Reader(std::u16string_view pattern, bool ignore_case) : in_(pattern), caseless_(ignore_case) {}

  bool ReadPattern(Info& info) { return ReadAlternatives(info) && !in_.More(); }

 private:
  bool ReadAlternatives(Info& info) {
    const bool caseless_before = caseless_, dotall_before = dotall_;
    if (!ReadSequence(info)) return false;
    while (in_.More() && in_.Peek() == u'|') {
      in_.Skip();
      // An option set in one alternative carries into the next in PCRE2 and not in Perl:
      // take whichever matches more.
      caseless_ = caseless_ || caseless_before;
      dotall_ = dotall_ || dotall_before;
      Info next;
      if (!ReadSequence(next)) return false;
      info = Alternative(info, next);
    }
    return true;
  }

  bool ReadSequence(Info& info) {
    info = Empty();
    while (in_.More() && (in_quote_ || (in_.Peek() != u'|' && in_.Peek() != u')'))) {
      Info atom;
      bool option_setting = false;
      if (!ReadAtom(atom, option_setting)) return false;
      if (option_setting) {
        if (IsQuantifierStart()) return false;
        continue;
      }
      if (!in_quote_ && IsQuantifierStart()) {
        size_t min = 0, max = 0;
        if (!ReadQuantifier(min, max)) return false;
        atom = Repeat(atom, min, max);
      }
      info = Sequence(info, atom);
    }
    return true;
  }

  bool IsQuantifierStart() const {
    const char16_t c = in_.Peek();
    return in_.More() &&
           (c == u'*' || c == u'+' || c == u'?' || (c == u'{' && in_.BraceMayQuantify()));
  }

  bool ReadQuantifier(size_t& min, size_t& max) {
    const char16_t c = in_.Peek();
    if (c == u'{') {
      // {0} is refused too: PCRE2 (10.42) still reads a group repeated no times when it decides
      // whether the pattern is anchored or starts a line, so that (?:x|^){0}_t then matches
      // only where a search starts, and a search started near the literal finds what a search
      // over the whole text does not.
      if (!in_.ReadBraces(min, max) || max < min || max == 0) return false;
    } else {
      in_.Skip();
      min = c == u'+' ? 1 : 0;
      max = c == u'?' ? 1 : kUnbounded;
    }
    // Possessive or lazy: the same texts can match.
    if (in_.Peek() == u'+' || in_.Peek() == u'?') in_.Skip();
    return !IsQuantifierStart();
  }

  // The set of one set-like escape or class, ignoring case when the pattern does.
  Info OneOf(CharSet chars) const {
    return AnyOne(caseless_ ? literal_internal::MaybeIgnoringCase(chars) : chars);
  }

  // A literal character.
  Info Char(char32_t c) const {
    CharSet chars;
    chars.Add(c);
    const bool letter = (c | 0x20) >= U'a' && (c | 0x20) <= U'z';
    if (caseless_ && c >= 0x80) return OneOf(chars);  // its case forms are not known here
    if (caseless_ && letter) {
      if (HasNonAsciiFoldMate(static_cast<char>(c))) return OneOf(chars);
      Info info = OneOf(chars);
      info.has_exact = true;
      info.exact = info.prefix = info.suffix =
          info.best = {std::u16string(1, static_cast<char16_t>(c | 0x20)), std::u16string(1, 1)};
      return info;
    }
    Lit lit;
    if (c >= 0x10000) {
      lit.units = {static_cast<char16_t>(0xD7C0 + (c >> 10)),
                   static_cast<char16_t>(0xDC00 | (c & 0x3FF))};
    } else {
      lit.units = std::u16string(1, static_cast<char16_t>(c));
    }
    lit.caseless = std::u16string(lit.units.size(), 0);
    Info info = AnyOne(chars);
    info.has_exact = true;
    info.exact = info.prefix = info.suffix = info.best = lit;
    return info;
  }

  bool ReadAtom(Info& info, bool& option_setting) {
    if (in_quote_) return ReadQuoted(info);
    switch (in_.Peek()) {
      case u'\\':
        return ReadEscape(info);
      case u'[': {
        CharSet chars;
        if (!in_.ReadClass(caseless_, chars)) return false;
        info = AnyOne(chars);
        return true;
      }
      case u'(':
        return ReadGroup(info, option_setting);
      case u'.':
        in_.Skip();
        info = AnyOne(dotall_ ? AllBut(u"") : AllBut(u"\r\n"));
        return true;
      case u'^':
      case u'$':
        in_.Skip();
        info = Empty();
        return true;
      case u'*':
      case u'+':
      case u'?':
        return false;
      case u'{':
        if (in_.BraceMayQuantify()) return false;
        break;
      default:
        break;
    }
    char32_t c = 0;
    if (!in_.ReadCodePoint(c)) return false;
    info = Char(c);
    return true;
  }

  // One character of \Q...\E; the quote ends behind the last one.
  bool ReadQuoted(Info& info) {
    char32_t c = 0;
    if (!in_.ReadCodePoint(c)) return false;
    info = Char(c);
    if (in_.Peek() == u'\\' && in_.Peek(1) == u'E') {
      in_.Skip(2);
      in_quote_ = false;
    } else if (!in_.More()) {
      in_quote_ = false;
    }
    return true;
  }

  bool ReadEscape(Info& info) {
    in_.Skip();
    const char16_t letter = in_.Peek();
    if (!in_.More()) return false;
    in_.Skip();
    switch (letter) {
      case u'Q':
        if (!in_.More() || (in_.Peek() == u'\\' && in_.Peek(1) == u'E')) return false;
        in_quote_ = true;
        return ReadQuoted(info);
      case u'N':
        info = AnyOne(AllBut(u"\r\n"));
        return in_.Peek() != u'{';
      case u'R': {  // CR LF, or one vertical space
        CharSet chars;
        for (char32_t c : {U'\n', U'\v', U'\f', U'\r', U'\x85'}) chars.Add(c);
        info = AnyOne(chars);
        info.max_chars = 2;
        return true;
      }
      case u'X':
        info = AnyOne(AllBut(u""));
        info.max_chars = kUnbounded;
        return true;
      case u'b':
      case u'B':
      case u'A':
      case u'Z':
      case u'z':
        info = Empty();
        return true;
      default:
        break;
    }
    CharSet surely, maybe;
    if (literal_internal::EscapeSet(letter, surely, maybe)) {
      info = OneOf(maybe);
      return letter == u'p' || letter == u'P' ? in_.ReadProperty() : true;
    }
    char32_t value = 0;
    if (in_.ReadCharEscape(letter, value)) {
      info = Char(value);
      return true;
    }
    // \ before any other ASCII punctuation or space is that character; everything else
    // (backreferences, \G, \K, \E alone, unknown letters, non-ASCII) is not read here.
    if (letter >= 0x80 || IsAsciiAlnum(letter)) return false;
    info = Char(letter);
    return true;
  }

  bool ReadGroup(Info& info, bool& option_setting) {
    // The reading recurses per group: a deep nest (which the engine refuses anyway) ends it.
    if (++depth_ > kMaxDepth) return false;
    in_.Skip();
    bool lookaround = false;
    const bool caseless_before = caseless_, dotall_before = dotall_;
    if (in_.Peek() == u'*') return false;  // verbs and option settings such as (*CRLF)
    if (in_.Peek() == u'?') {
      in_.Skip();
      const char16_t kind = in_.Peek();
      if (kind == u':' || kind == u'|' || kind == u'>') {
        in_.Skip();
      } else if (kind == u'=' || kind == u'!') {
        in_.Skip();
        lookaround = true;
      } else if (kind == u'<' && (in_.Peek(1) == u'=' || in_.Peek(1) == u'!')) {
        in_.Skip(2);
        lookaround = true;
      } else if (kind == u'<' || kind == u'\'' || (kind == u'P' && in_.Peek(1) == u'<')) {
        in_.Skip(kind == u'P' ? 2 : 1);
        if (!in_.SkipGroupName(kind == u'\'' ? u'\'' : u'>')) return false;
      } else if (kind == u'-' || (kind >= u'a' && kind <= u'z') || (kind >= u'A' && kind <= u'Z')) {
        bool scoped = false;
        if (!ReadOptions(scoped)) return false;
        if (!scoped) {
          option_setting = true;
          --depth_;
          return true;
        }
      } else {
        return false;  // comments, conditionals, recursion, callouts, ...
      }
    }
    Info inner;
    if (!ReadAlternatives(inner) || !in_.More() || in_.Peek() != u')') return false;
    in_.Skip();
    caseless_ = caseless_before;
    dotall_ = dotall_before;
    --depth_;
    info = lookaround ? Empty() : inner;
    return true;
  }

  // Option letters up to ')' (they hold for the rest of the group: `scoped` false) or ':'
  // (a group of its own with them: `scoped` true).
  bool ReadOptions(bool& scoped) {
    bool on = true;
    while (in_.More()) {
      const char16_t c = in_.Peek();
      in_.Skip();
      switch (c) {
        case u')':
          scoped = false;
          return true;
        case u':':
          scoped = true;
          return true;
        case u'-':
          if (!on) return false;
          on = false;
          break;
        case u'i':
          caseless_ = on;
          break;
        case u's':
          dotall_ = on;
          break;
        case u'm':
        case u'n':
        case u'U':
        case u'J':
          break;
        default:
          return false;  // x (extended), ^, and letters this reading does not know
      }
    }
    return false;
  }

  static constexpr int kMaxDepth = 250;  // PCRE2's own default limit

  PatternScanner in_;
  int depth_ = 0;
  bool caseless_;
  bool dotall_ = false;
  bool in_quote_ = false;
};

}  // namespace

std::optional<RequiredLiteral> FindRequiredLiteral(std::u16string_view pattern, bool ignore_case) {
  const reg_exp_internal::TranslatedPattern translated =
      reg_exp_internal::TranslatePattern(pattern);
  Reader reader(translated.text, ignore_case);
  Info info;
  if (!reader.ReadPattern(info) || info.best.empty()) return std::nullopt;
  RequiredLiteral literal;
  literal.text = info.best.units;
  literal.caseless = info.best.caseless.find(char16_t{1}) != std::u16string::npos;
  literal.chars = info.chars;
  literal.within_line = !info.chars.Has(U'\r') && !info.chars.Has(U'\n');
  if (!literal.within_line) {
    if (info.max_chars > kMaxReach) return std::nullopt;
    literal.max_chars = info.max_chars;
  }
  return literal;
}

std::optional<CharSet> FindMatchCharacters(std::u16string_view pattern, bool ignore_case) {
  const reg_exp_internal::TranslatedPattern translated =
      reg_exp_internal::TranslatePattern(pattern);
  Reader reader(translated.text, ignore_case);
  Info info;
  if (!reader.ReadPattern(info)) return std::nullopt;
  return info.chars;
}

}  // namespace quonder
