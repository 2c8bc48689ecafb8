// The text of one file as the matcher walks it, in one of two forms: decoded UTF-16, or the
// file's own bytes when the charset decodes them as UTF-8 does (pure ASCII in any
// ASCII-compatible charset), where every maximal ill-formed subpart stands for one U+FFFD.
// Positions are the view's own (code units, or bytes); every value handed on (Pointer, Column,
// Found, the neighbours of the word-only test) is in UTF-16 code units, exactly as if the file had
// been decoded.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quonder {

class Utf16View {
 public:
  // `origin`: the offset of the view's first unit in the whole text (a window of it).
  explicit Utf16View(std::u16string_view text, size_t origin = 0) : text_(text), origin_(origin) {}

  std::u16string_view text() const { return text_; }
  size_t size() const { return text_.size(); }
  // REQUIRES: 0 < position.
  char16_t UnitBefore(size_t position) const { return text_[position - 1]; }
  // REQUIRES: position < size().
  char16_t UnitAt(size_t position) const { return text_[position]; }
  size_t Utf16Offset(size_t position) { return origin_ + position; }
  std::u16string_view Found(size_t begin, size_t end) { return text_.substr(begin, end - begin); }

 private:
  std::u16string_view text_;
  size_t origin_;
};

// What is known of a UTF-8 view's bytes; the more, the faster positions are counted.
enum class Utf8Form {
  kAscii,  // every byte is below 0x80: byte offsets are UTF-16 offsets
  kValid,  // well-formed UTF-8
  kLossy,  // may hold ill-formed sequences
};

class Utf8View {
 public:
  // REQUIRES: `bytes` are of the form given.
  Utf8View(std::string_view bytes, Utf8Form form) : bytes_(bytes), form_(form) {}

  std::string_view bytes() const { return bytes_; }
  size_t size() const { return bytes_.size(); }
  bool ascii() const { return form_ == Utf8Form::kAscii; }
  bool valid() const { return form_ != Utf8Form::kLossy; }

  // The last UTF-16 unit of the character that ends at byte `position` (the trail surrogate
  // of a character beyond the BMP). REQUIRES: 0 < position, on a character boundary.
  char16_t UnitBefore(size_t position) const;
  // The first UTF-16 unit of the character that starts at byte `position`.
  // REQUIRES: position < size(), on a character boundary.
  char16_t UnitAt(size_t position) const;

  // The UTF-16 offset of byte `position` (a character boundary). Counts from the position
  // asked for last, so asking in increasing order costs one pass over the text.
  size_t Utf16Offset(size_t position);
  // For a view of a window of the text: byte `position` of the view (a character boundary) is
  // at offset `units` of the whole text. Offsets are counted from there on.
  void SetOrigin(size_t position, size_t units) {
    cursor_bytes_ = position;
    cursor_units_ = units;
  }

  // The bytes [begin, end) decoded; valid until the next call.
  std::u16string_view Found(size_t begin, size_t end);

  // Whether the text holds a non-ASCII character that folds onto an ASCII letter (KELVIN SIGN,
  // LONG S), so that an ASCII-caseless byte search could miss a hit. Found out once.
  bool HasNonAsciiFoldMates();

 private:
  std::string_view bytes_;
  Utf8Form form_;
  size_t cursor_bytes_ = 0;
  size_t cursor_units_ = 0;
  std::u16string found_;
  int fold_mates_ = -1;  // unknown
};

}  // namespace quonder
