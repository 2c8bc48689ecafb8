#include "core/search/fast/text_views.h"

#include <unicode/utf16.h>
#include <unicode/utf8.h>

#include <algorithm>

#include "core/text/caseless_fold.h"
#include "core/text/utf_convert.h"

namespace quonder {
namespace {

char16_t FirstUnit(UChar32 c) {
  return c <= 0xFFFF ? static_cast<char16_t>(c) : static_cast<char16_t>(U16_LEAD(c));
}

bool IsContinuation(uint8_t byte) { return (byte & 0xC0) == 0x80; }

char16_t LastUnit(UChar32 c) {
  return c <= 0xFFFF ? static_cast<char16_t>(c) : static_cast<char16_t>(U16_TRAIL(c));
}

}  // namespace

char16_t Utf8View::UnitBefore(size_t position) const {
  unsigned char c = static_cast<unsigned char>(bytes_[position - 1]);
  if (c < 0x80) return c;
  // ICU's macros index with 32 bits: they are given the few bytes around `position` only.
  const size_t back = std::min<size_t>(position, 4);
  const auto* s = reinterpret_cast<const uint8_t*>(bytes_.data()) + (position - back);
  int32_t i = static_cast<int32_t>(back);
  UChar32 code_point;
  if (valid()) {
    U8_PREV_UNSAFE(s, i, code_point);
    return LastUnit(code_point);
  }
  // Every byte that is no continuation byte begins a sequence, well-formed or not, so decoding
  // forward from the last one before `position` reads the characters there as the whole text
  // does. With none among the four bytes before, the byte before is a stray continuation.
  int32_t start = i - 1;
  while (start > 0 && start > i - 4 && IsContinuation(s[start])) --start;
  if (IsContinuation(s[start])) return 0xFFFD;
  code_point = 0xFFFD;
  while (start < i) U8_NEXT_OR_FFFD(s, start, i, code_point);
  return LastUnit(code_point);
}

char16_t Utf8View::UnitAt(size_t position) const {
  unsigned char c = static_cast<unsigned char>(bytes_[position]);
  if (c < 0x80) return c;
  const auto* s = reinterpret_cast<const uint8_t*>(bytes_.data()) + position;
  int32_t i = 0;
  UChar32 code_point;
  U8_NEXT_OR_FFFD(s, i, static_cast<int32_t>(std::min<size_t>(bytes_.size() - position, 4)),
                  code_point);
  return FirstUnit(code_point);
}

size_t Utf8View::Utf16Offset(size_t position) {
  if (ascii()) return cursor_units_ - cursor_bytes_ + position;
  // Both ends are character boundaries, so the bytes between them decode alone to what they
  // are in the whole text.
  auto units = [this](size_t from, size_t to) {
    std::string_view part = bytes_.substr(from, to - from);
    return valid() ? Utf16Length(part) : Utf16LengthLossy(part);
  };
  if (position >= cursor_bytes_) {
    cursor_units_ += units(cursor_bytes_, position);
  } else {
    cursor_units_ -= units(position, cursor_bytes_);
  }
  cursor_bytes_ = position;
  return cursor_units_;
}

std::u16string_view Utf8View::Found(size_t begin, size_t end) {
  std::string_view part = bytes_.substr(begin, end - begin);
  if (ascii()) {
    found_.assign(part.begin(), part.end());
  } else if (valid()) {
    DecodeValidUtf8(part, found_);
  } else {
    found_ = ToUtf16(part);
  }
  return found_;
}

bool Utf8View::HasNonAsciiFoldMates() {
  if (fold_mates_ < 0) {
    fold_mates_ = 0;
    if (!ascii()) {
      for (char letter = 'a'; letter <= 'z' && fold_mates_ == 0; ++letter) {
        for (char16_t mate : NonAsciiFoldMates(letter)) {
          if (bytes_.find(ToUtf8(std::u16string(1, mate))) != std::string_view::npos) {
            fold_mates_ = 1;
            break;
          }
        }
      }
    }
  }
  return fold_mates_ == 1;
}

}  // namespace quonder
