// The text of one file as the matcher walks it, in one of two forms: decoded UTF-16, or the
// file's own bytes when they are valid UTF-8 (pure ASCII included) and the charset decodes them
// as UTF-8 would. Positions are the view's own (code units, or bytes); every value handed on
// (Pointer, Column, Found, the neighbours of the word-only test) is in UTF-16 code units,
// exactly as if the file had been decoded.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quonder {

class Utf16View {
 public:
  explicit Utf16View(std::u16string_view text) : text_(text) {}

  std::u16string_view text() const { return text_; }
  size_t size() const { return text_.size(); }
  // REQUIRES: 0 < position.
  char16_t UnitBefore(size_t position) const { return text_[position - 1]; }
  // REQUIRES: position < size().
  char16_t UnitAt(size_t position) const { return text_[position]; }
  size_t Utf16Offset(size_t position) { return position; }
  std::u16string_view Found(size_t begin, size_t end) { return text_.substr(begin, end - begin); }

 private:
  std::u16string_view text_;
};

class Utf8View {
 public:
  // REQUIRES: `valid_utf8` is well-formed UTF-8; `ascii` when every byte is below 0x80.
  Utf8View(std::string_view valid_utf8, bool ascii) : bytes_(valid_utf8), ascii_(ascii) {}

  std::string_view bytes() const { return bytes_; }
  size_t size() const { return bytes_.size(); }
  bool ascii() const { return ascii_; }

  // The last UTF-16 unit of the character that ends at byte `position` (the trail surrogate
  // of a character beyond the BMP). REQUIRES: 0 < position, on a character boundary.
  char16_t UnitBefore(size_t position) const;
  // The first UTF-16 unit of the character that starts at byte `position`.
  // REQUIRES: position < size(), on a character boundary.
  char16_t UnitAt(size_t position) const;

  // The UTF-16 offset of byte `position` (a character boundary). Counts from the position
  // asked for last, so asking in increasing order costs one pass over the text.
  size_t Utf16Offset(size_t position);

  // The bytes [begin, end) decoded; valid until the next call.
  std::u16string_view Found(size_t begin, size_t end);

  // Whether the text holds a non-ASCII character that folds onto an ASCII letter (KELVIN SIGN,
  // LONG S), so that an ASCII-caseless byte search could miss a hit. Found out once.
  bool HasNonAsciiFoldMates();

 private:
  std::string_view bytes_;
  bool ascii_;
  size_t cursor_bytes_ = 0;
  size_t cursor_units_ = 0;
  std::u16string found_;
  int fold_mates_ = -1;  // unknown
};

}  // namespace quonder
