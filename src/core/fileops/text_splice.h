// Builds a file's new text from its text as read and its hits, left to right: every character
// outside the hits is carried over as it was. Before a hit is replaced it is checked against
// the text, so a hit that does not fit (the file changed since the find) is refused instead of
// being spliced at the wrong place.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quonder {

class TextSplice {
 public:
  enum class Result {
    kOk,
    kMismatch,    // the text at the pointer is not the found text, or lies beyond the text
    kOutOfOrder,  // the hit starts before the end of the previous one (pointers must increase)
  };

  // `original` must stay valid and unchanged while the splice is used.
  explicit TextSplice(std::u16string_view original) : original_(original) {}

  // Replaces the hit at 1-based `pointer` whose text is `found` by `replacement`. On a result
  // other than kOk nothing is added and the splice stays as it was.
  Result Replace(int64_t pointer, std::u16string_view found, std::u16string_view replacement);

  // True when the text at 1-based `pointer` is `found`.
  bool Fits(int64_t pointer, std::u16string_view found) const;

  // The new text: what was built, then the rest of the original. Call once.
  std::u16string Finish();

  int32_t hits() const { return hits_; }

 private:
  std::u16string_view original_;
  std::u16string out_;
  size_t next_unread_ = 0;  // 0-based
  int32_t hits_ = 0;
};

}  // namespace quonder
