// A file's new text as its text as read plus its hits, left to right: every character outside
// the hits is carried over as it was. Before a hit is taken it is checked against the text, so
// a hit that does not fit (the file changed since the find) is refused instead of being
// spliced at the wrong place. The new text is never built whole unless asked for: it is handed
// out in pieces, each with the part of the original it stands for, so that a writer can encode
// and check it piece by piece.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quonder {

class TextSplice {
 public:
  enum class Result {
    kOk,
    kMismatch,    // the text at the pointer is not the found text, or lies beyond the text
    kOutOfOrder,  // the hit starts before the end of the previous one (pointers must increase)
  };

  // Longest piece of unchanged text handed out at once (UTF-16 units).
  static constexpr size_t kPieceUnits = size_t{1} << 20;

  // `original` must stay valid and unchanged while the splice is used.
  explicit TextSplice(std::u16string_view original) : original_(original) {}

  // Takes the hit at 1-based `pointer` whose text is `found`, to be replaced by `replacement`.
  // On a result other than kOk nothing is taken and the splice stays as it was.
  Result Replace(int64_t pointer, std::u16string_view found, std::u16string_view replacement);

  // True when the text at 1-based `pointer` is `found`.
  bool Fits(int64_t pointer, std::u16string_view found) const;

  // True when some hit's replacement differs from its text: the new text is not the original.
  bool Changes() const { return changes_; }

  // One piece of the new text: `text` stands where `original` stood. Outside the hits both are
  // the same view of the original text; at a hit `original` is the found text and `text` the
  // replacement. Views stay valid while the splice lives.
  struct Piece {
    std::u16string_view original;
    std::u16string_view text;
  };
  // Hands every piece to `sink` in order; the originals of all pieces make up the whole
  // original text. Unchanged text comes in pieces of at most kPieceUnits units, cut where
  // the same original text is always cut and never inside a surrogate pair. Stops, returning
  // false, as soon as `sink` returns false.
  bool ForEachPiece(const std::function<bool(const Piece&)>& sink) const;

  // The whole new text.
  std::u16string NewText() const;

  int32_t hits() const { return static_cast<int32_t>(hits_.size()); }

 private:
  struct Hit {
    size_t start;        // 0-based, in the original text
    size_t length;       // of the found text
    size_t replacement;  // index into replacements_
  };

  bool Unchanged(size_t begin, size_t end, const std::function<bool(const Piece&)>& sink) const;

  std::u16string_view original_;
  std::vector<Hit> hits_;
  // Replacements in hit order, a run of equal ones kept once (plain mode needs one).
  std::vector<std::u16string> replacements_;
  size_t next_unread_ = 0;  // 0-based end of the last hit
  bool changes_ = false;
};

}  // namespace quonder
