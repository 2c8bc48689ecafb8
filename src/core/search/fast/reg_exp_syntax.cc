#include "core/search/fast/reg_exp_syntax.h"

#include <algorithm>
#include <functional>
#include <iterator>

namespace quonder {
namespace literal_internal {
namespace {

template <typename Test>
CharSet AsciiWhere(Test test) {
  CharSet set;
  for (int c = 0; c < 128; ++c) {
    if (test(c)) set.ascii.set(c);
  }
  return set;
}

CharSet Complement(CharSet set) {
  set.ascii.flip();
  set.others = !set.others;
  return set;
}

}  // namespace

bool EscapeSet(char16_t letter, CharSet& surely, CharSet& maybe) {
  // Without Unicode properties \d \s \w match ASCII characters only.
  static const CharSet digits = AsciiWhere([](int c) { return c >= '0' && c <= '9'; });
  static const CharSet spaces = AsciiWhere([](int c) { return c == ' ' || (c >= 9 && c <= 13); });
  static const CharSet word = AsciiWhere([](int c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
  });
  static const CharSet blank = AsciiWhere([](int c) { return c == ' ' || c == '\t'; });
  static const CharSet vertical = AsciiWhere([](int c) { return c >= 10 && c <= 13; });
  switch (letter) {
    case u'd':
      surely = maybe = digits;
      return true;
    case u'D':
      surely = maybe = Complement(digits);
      return true;
    case u's':
      surely = maybe = spaces;
      return true;
    case u'S':
      surely = maybe = Complement(spaces);
      return true;
    case u'w':
      surely = maybe = word;
      return true;
    case u'W':
      surely = maybe = Complement(word);
      return true;
    case u'h':  // and some spaces beyond ASCII
      surely = maybe = blank;
      maybe.others = true;
      return true;
    case u'H':
      surely = maybe = Complement(blank);
      surely.others = false;
      return true;
    case u'V':
      surely = maybe = Complement(vertical);
      surely.others = false;
      return true;
    case u'p':
    case u'P':
      surely = CharSet();
      maybe.AddAll();
      return true;
    default:
      return false;
  }
}

CharSet SurelyIgnoringCase(CharSet set) {
  for (int c = 'a'; c <= 'z'; ++c) {
    if (set.ascii[c] || set.ascii[c - 32]) {
      set.ascii.set(c);
      set.ascii.set(c - 32);
    }
  }
  return set;
}

CharSet MaybeIgnoringCase(CharSet set) {
  set = SurelyIgnoringCase(set);
  if (set.ascii['k'] || set.ascii['s']) set.others = true;
  if (set.others) {
    for (int c = 'a'; c <= 'z'; ++c) {
      set.ascii.set(c);
      set.ascii.set(c - 32);
    }
  }
  return set;
}

bool PatternScanner::ReadCodePoint(char32_t& value) {
  const char16_t c = Peek();
  if (!More() || IsLow(c)) return false;
  if (IsHigh(c)) {
    if (!IsLow(Peek(1))) return false;
    value = 0x10000 + ((char32_t{c} - 0xD800) << 10) + (Peek(1) - 0xDC00);
    at_ += 2;
    return true;
  }
  value = c;
  ++at_;
  return true;
}

bool PatternScanner::SkipGroupName(char16_t close) {
  size_t end = at_;
  while (end < p_.size() && (IsAsciiAlnum(p_[end]) || p_[end] == u'_')) ++end;
  if (end == at_ || IsDigit(p_[at_]) || end >= p_.size() || p_[end] != close) return false;
  at_ = end + 1;
  return true;
}

bool PatternScanner::BraceMayQuantify() const {
  char16_t next = Peek(1);
  return IsDigit(next) || next == u',' || next == u' ' || next == u'\t';
}

bool PatternScanner::ReadBraces(size_t& min, size_t& max) {
  size_t i = at_ + 1;
  auto number = [&](size_t& value) {
    size_t start = i;
    value = 0;
    while (i < p_.size() && IsDigit(p_[i]) && i - start < 6) value = value * 10 + (p_[i++] - u'0');
    return i > start && !(i < p_.size() && IsDigit(p_[i]));
  };
  if (!number(min)) return false;
  max = min;
  if (i < p_.size() && p_[i] == u',') {
    ++i;
    max = kNoLimit;
    if (i < p_.size() && IsDigit(p_[i]) && !number(max)) return false;
  }
  if (i >= p_.size() || p_[i] != u'}') return false;
  at_ = i + 1;
  return true;
}

// Hex, octal or decimal digits of a value up to 0x10FFFF.
bool PatternScanner::ReadNumber(int base, size_t max_digits, char32_t& value) {
  value = 0;
  size_t digits = 0;
  while (More() && digits < max_digits) {
    char16_t c = Peek();
    int d = IsDigit(c)                                 ? c - u'0'
            : (c | 0x20) >= u'a' && (c | 0x20) <= u'f' ? (c | 0x20) - u'a' + 10
                                                       : 99;
    if (d >= base) break;
    value = value * base + d;
    if (value > 0x10FFFF) return false;
    ++at_;
    ++digits;
  }
  return true;
}

bool PatternScanner::ReadBraced(int base, char32_t& value) {
  if (Peek() != u'{') return false;
  ++at_;
  size_t start = at_;
  if (!ReadNumber(base, 8, value) || at_ == start || Peek() != u'}') return false;
  ++at_;
  return true;
}

bool PatternScanner::ReadCharEscape(char16_t letter, char32_t& value) {
  static constexpr struct {
    char16_t letter;
    char32_t value;
  } kNamed[] = {{u'n', U'\n'}, {u'r', U'\r'}, {u't', U'\t'},
                {u'f', U'\f'}, {u'e', 0x1B},  {u'a', 0x07}};
  for (const auto& named : kNamed) {
    if (named.letter == letter) {
      value = named.value;
      return true;
    }
  }
  bool read = false;
  switch (letter) {
    case u'x':
      read = Peek() == u'{' ? ReadBraced(16, value) : ReadNumber(16, 2, value);
      break;
    case u'o':
      read = ReadBraced(8, value);
      break;
    case u'0':
      read = ReadNumber(8, 2, value);
      break;
    case u'c': {
      const char16_t operand = Peek();
      read = More() && operand >= 0x20 && operand <= 0x7E;
      if (read) ++at_;
      value = (operand >= u'a' && operand <= u'z' ? operand - 0x20 : operand) ^ 0x40;
      break;
    }
    default:
      return false;
  }
  return read && !(value >= 0xD800 && value <= 0xDFFF);
}

bool PatternScanner::ReadProperty() {
  if (Peek() == u'{') {
    size_t close = p_.find(u'}', at_);
    if (close == std::u16string_view::npos) return false;
    at_ = close + 1;
  } else if (More()) {
    ++at_;
  } else {
    return false;
  }
  return true;
}

bool PatternScanner::ReadClass(bool caseless, CharSet& chars) {
  ++at_;
  bool negated = false;
  if (Peek() == u'^') {
    negated = true;
    ++at_;
  }
  CharSet surely, maybe;
  bool first = true;
  while (true) {
    if (!More()) return false;
    if (Peek() == u']' && !first) {
      ++at_;
      break;
    }
    first = false;
    CharSet item_surely, item_maybe;
    if (Peek() == u'[' && (Peek(1) == u':' || Peek(1) == u'.' || Peek(1) == u'=')) {
      if (!ReadPosixClass(caseless, item_surely, item_maybe)) return false;
    } else {
      char32_t low = 0;
      bool is_set = false;
      if (!ReadClassItem(low, is_set, item_surely, item_maybe)) return false;
      if (!is_set) {
        char32_t high = low;
        if (Peek() == u'-' && Peek(1) != u']' && at_ + 1 < p_.size()) {
          ++at_;
          if (Peek() == u'[') return false;
          if (!ReadClassItem(high, is_set, item_surely, item_maybe) || is_set || high < low) {
            return false;
          }
        }
        for (char32_t c = low; c <= high && c < 128; ++c) item_surely.Add(c);
        // Some characters beyond ASCII, not all of them: the item may hold others, and a
        // negated class still holds the rest.
        item_maybe = item_surely;
        if (high >= 128) item_maybe.others = true;
      }
    }
    surely |= item_surely;
    maybe |= item_maybe;
  }
  if (caseless) {
    surely = SurelyIgnoringCase(surely);
    maybe = MaybeIgnoringCase(maybe);
  }
  if (negated) {
    chars.ascii = ~surely.ascii;
    // Beyond U+00FF PCRE2 may judge a class by its properties and characters alone and drop
    // what \D \W \S or a negated POSIX class hold there: [^\D[:alpha:]] and [^\W\p{L}]
    // match such characters. So no negated class is taken to rule them out.
    chars.others = true;
  } else {
    chars = maybe;
  }
  return true;
}

bool PatternScanner::ReadPosixClass(bool caseless, CharSet& surely, CharSet& maybe) {
  if (Peek(1) != u':') return false;
  size_t i = at_ + 2;
  const bool negated = i < p_.size() && p_[i] == u'^';
  if (negated) ++i;
  size_t start = i;
  while (i < p_.size() && p_[i] >= u'a' && p_[i] <= u'z') ++i;
  if (i + 1 >= p_.size() || p_[i] != u':' || p_[i + 1] != u']') return false;
  const std::u16string_view name = p_.substr(start, i - start);
  at_ = i + 2;
  // Without Unicode properties the POSIX classes hold ASCII characters only (and do not
  // depend on the locale).
  auto in = [](int c, int low, int high) { return c >= low && c <= high; };
  auto alpha = [&](int c) { return in(c, 'a', 'z') || in(c, 'A', 'Z'); };
  const struct {
    std::u16string_view name;
    std::function<bool(int)> test;
  } classes[] = {
      {u"alpha", alpha},
      {u"digit", [&](int c) { return in(c, '0', '9'); }},
      {u"alnum", [&](int c) { return alpha(c) || in(c, '0', '9'); }},
      {u"word", [&](int c) { return alpha(c) || in(c, '0', '9') || c == '_'; }},
      {u"upper", [&](int c) { return in(c, 'A', 'Z'); }},
      {u"lower", [&](int c) { return in(c, 'a', 'z'); }},
      {u"punct", [&](int c) { return in(c, 33, 126) && !alpha(c) && !in(c, '0', '9'); }},
      {u"print", [&](int c) { return in(c, 32, 126); }},
      {u"graph", [&](int c) { return in(c, 33, 126); }},
      {u"xdigit", [&](int c) { return in(c, '0', '9') || in(c | 0x20, 'a', 'f'); }},
      {u"blank", [](int c) { return c == ' ' || c == '\t'; }},
      {u"space", [&](int c) { return c == ' ' || in(c, 9, 13); }},
      {u"cntrl", [&](int c) { return c < 32 || c == 127; }},
      {u"ascii", [](int) { return true; }},
  };
  const auto* found = std::find_if(std::begin(classes), std::end(classes),
                                   [&](const auto& entry) { return entry.name == name; });
  if (found == std::end(classes)) return false;
  CharSet set = AsciiWhere(found->test);
  if (negated) {
    set.ascii.flip();
    set.others = true;
  }
  surely = maybe = set;
  // Ignoring case, PCRE2 reads [:lower:] and [:upper:] as [:alpha:]: [:^lower:] then holds no
  // letter at all, and its letters would fold into every letter being sure.
  if (caseless && negated && (name == u"lower" || name == u"upper")) {
    for (int c = 'a'; c <= 'z'; ++c) {
      surely.ascii.reset(c);
      surely.ascii.reset(c - 32);
    }
  }
  return true;
}

bool PatternScanner::ReadClassItem(char32_t& value, bool& is_set, CharSet& surely, CharSet& maybe) {
  is_set = false;
  if (Peek() != u'\\') return ReadCodePoint(value);
  if (at_ + 1 >= p_.size()) return false;
  const char16_t letter = p_[at_ + 1];
  at_ += 2;
  if (EscapeSet(letter, surely, maybe)) {
    is_set = true;
    return letter == u'p' || letter == u'P' ? ReadProperty() : true;
  }
  if (letter == u'b') {
    value = 0x08;
    return true;
  }
  if (letter >= u'1' && letter <= u'7') {
    // Octal inside a class: up to three digits.
    --at_;
    return ReadNumber(8, 3, value);
  }
  if (ReadCharEscape(letter, value)) return true;
  if (letter >= 0x80 || IsAsciiAlnum(letter)) return false;
  value = letter;
  return true;
}

}  // namespace literal_internal
}  // namespace quonder
