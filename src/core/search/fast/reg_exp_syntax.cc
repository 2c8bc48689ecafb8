#include "core/search/fast/reg_exp_syntax.h"

#include <algorithm>

namespace quonder {
namespace literal_internal {
namespace {

bool IsHigh(char16_t c) { return (c & 0xFC00) == 0xD800; }
bool IsLow(char16_t c) { return (c & 0xFC00) == 0xDC00; }
bool IsAsciiAlnum(char16_t c) {
  return IsDigit(c) || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

}  // namespace

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

bool PatternScanner::SkipPast(char16_t close) {
  size_t end = p_.find(close, at_ + 1);
  if (end == std::u16string_view::npos) return false;
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

bool PatternScanner::ReadClass(bool& line_feeds) {
  ++at_;
  bool negated = false;
  if (Peek() == u'^') {
    negated = true;
    ++at_;
  }
  // Per line feed character: 0 not in the listed items, 1 maybe, 2 surely.
  int cr = 0, lf = 0;
  auto take = [&](int cr_state, int lf_state) {
    cr = std::max(cr, cr_state);
    lf = std::max(lf, lf_state);
  };
  bool first = true;
  while (true) {
    if (!More()) return false;
    if (Peek() == u']' && !first) {
      ++at_;
      break;
    }
    first = false;
    if (Peek() == u'[' && (Peek(1) == u':' || Peek(1) == u'.' || Peek(1) == u'=')) {
      int state = 0;
      if (!ReadPosixClass(state)) return false;
      take(state, state);
      continue;
    }
    char32_t low = 0;
    int set_state = -1;
    if (!ReadClassItem(low, set_state)) return false;
    if (set_state >= 0) {
      take(set_state, set_state);
      continue;
    }
    char32_t high = low;
    if (Peek() == u'-' && Peek(1) != u']' && at_ + 1 < p_.size()) {
      ++at_;
      if (Peek() == u'[') return false;
      if (!ReadClassItem(high, set_state) || set_state >= 0 || high < low) return false;
    }
    take(low <= U'\r' && U'\r' <= high ? 2 : 0, low <= U'\n' && U'\n' <= high ? 2 : 0);
  }
  line_feeds = negated ? (cr < 2 || lf < 2) : (cr > 0 || lf > 0);
  return true;
}

// [:name:] or [:^name:] inside a class.
bool PatternScanner::ReadPosixClass(int& state) {
  if (Peek(1) != u':') return false;
  size_t i = at_ + 2;
  const bool negated = i < p_.size() && p_[i] == u'^';
  if (negated) ++i;
  size_t start = i;
  while (i < p_.size() && p_[i] >= u'a' && p_[i] <= u'z') ++i;
  if (i + 1 >= p_.size() || p_[i] != u':' || p_[i + 1] != u']') return false;
  const std::u16string_view name = p_.substr(start, i - start);
  at_ = i + 2;
  if (negated) {
    state = 1;
  } else if (name == u"space" || name == u"cntrl" || name == u"ascii") {
    state = 2;
  } else if (name == u"alpha" || name == u"digit" || name == u"alnum" || name == u"upper" ||
             name == u"lower" || name == u"punct" || name == u"print" || name == u"graph" ||
             name == u"xdigit" || name == u"word" || name == u"blank") {
    state = 0;
  } else {
    return false;
  }
  return true;
}

// One item of a class: a character (`value`, set_state stays -1) or a set such as \d
// (set_state: whether it holds the line feed characters, as ReadClass counts).
bool PatternScanner::ReadClassItem(char32_t& value, int& set_state) {
  set_state = -1;
  if (Peek() != u'\\') return ReadCodePoint(value);
  if (at_ + 1 >= p_.size()) return false;
  const char16_t letter = p_[at_ + 1];
  at_ += 2;
  switch (letter) {
    case u'd':
    case u'w':
    case u'S':
    case u'h':
    case u'V':
      set_state = 0;
      return true;
    case u'D':
    case u'W':
    case u's':
    case u'H':
      set_state = 2;
      return true;
    case u'p':
    case u'P':
      set_state = 1;
      return ReadProperty();
    case u'b':
      value = 0x08;
      return true;
    default:
      break;
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
