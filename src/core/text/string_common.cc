#include "core/text/string_common.h"

#include <string>

namespace quonder {
namespace {

// The letter that follows the backslash for each escaped character, or 0 for the characters
// that stand for themselves. Every entry is ASCII, so one routine serves UTF-8 bytes and UTF-16
// units alike.
template <typename Char>
Char EscapeLetter(Char c) {
  switch (c) {
    case Char('\\'):
      return Char('\\');
    case Char('\r'):
      return Char('r');
    case Char('\n'):
      return Char('n');
    case Char('\t'):
      return Char('t');
    case Char('\v'):
      return Char('v');
    default:
      return Char(0);
  }
}

// Inverse of EscapeLetter; 0 when `letter` starts no escape sequence.
template <typename Char>
Char EscapedChar(Char letter) {
  switch (letter) {
    case Char('\\'):
      return Char('\\');
    case Char('r'):
      return Char('\r');
    case Char('n'):
      return Char('\n');
    case Char('t'):
      return Char('\t');
    case Char('v'):
      return Char('\v');
    default:
      return Char(0);
  }
}

template <typename Char>
std::basic_string<Char> Escape(const std::basic_string<Char>& text) {
  std::basic_string<Char> result;
  result.reserve(text.size());
  for (Char c : text) {
    Char letter = EscapeLetter(c);
    if (letter == Char(0)) {
      result.push_back(c);
    } else {
      result.push_back(Char('\\'));
      result.push_back(letter);
    }
  }
  return result;
}

template <typename Char>
std::basic_string<Char> Unescape(const std::basic_string<Char>& text) {
  std::basic_string<Char> result;
  result.reserve(text.size());
  size_t p = 0;
  while (p < text.size()) {
    if (text[p] != Char('\\')) {
      result.push_back(text[p]);
      ++p;
      continue;
    }
    if (p + 1 == text.size()) {  // a lone backslash at the end stays
      result.push_back(text[p]);
      break;
    }
    // Pairs are consumed whole, so the second backslash of "\\" never starts a sequence.
    Char decoded = EscapedChar(text[p + 1]);
    if (decoded == Char(0)) {
      result.push_back(text[p]);
      result.push_back(text[p + 1]);
    } else {
      result.push_back(decoded);
    }
    p += 2;
  }
  return result;
}

template <typename Char>
std::basic_string<Char> CutAtFirstNull(const std::basic_string<Char>& text) {
  size_t nul = text.find(Char(0));
  if (nul == std::basic_string<Char>::npos) return text;
  return text.substr(0, nul);
}

}  // namespace

std::u16string EscapeControlChars(const std::u16string& text) { return Escape(text); }
std::string EscapeControlChars(const std::string& text) { return Escape(text); }

std::u16string UnescapeControlChars(const std::u16string& text) { return Unescape(text); }
std::string UnescapeControlChars(const std::string& text) { return Unescape(text); }

std::u16string CutAtNull(const std::u16string& text) { return CutAtFirstNull(text); }
std::string CutAtNull(const std::string& text) { return CutAtFirstNull(text); }

}  // namespace quonder
