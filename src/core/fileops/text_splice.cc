#include "core/fileops/text_splice.h"

namespace quonder {

bool TextSplice::Fits(int64_t pointer, std::u16string_view found) const {
  if (pointer < 1) return false;
  size_t start = static_cast<size_t>(pointer - 1);
  if (start > original_.size() || found.size() > original_.size() - start) return false;
  return original_.substr(start, found.size()) == found;
}

TextSplice::Result TextSplice::Replace(int64_t pointer, std::u16string_view found,
                                       std::u16string_view replacement) {
  if (!Fits(pointer, found)) return Result::kMismatch;
  size_t start = static_cast<size_t>(pointer - 1);
  if (start < next_unread_) return Result::kOutOfOrder;
  if (replacements_.empty() || replacements_.back() != replacement) {
    replacements_.emplace_back(replacement);
  }
  hits_.push_back({start, found.size(), replacements_.size() - 1});
  next_unread_ = start + found.size();
  changes_ = changes_ || found != replacement;
  return Result::kOk;
}

// Hands out original_[begin, end) in pieces of at most kPieceUnits, never cut between the two
// halves of a surrogate pair.
bool TextSplice::Unchanged(size_t begin, size_t end,
                           const std::function<bool(const Piece&)>& sink) const {
  while (begin < end) {
    size_t cut = end - begin > kPieceUnits ? begin + kPieceUnits : end;
    if (cut < end && (original_[cut] & 0xFC00) == 0xDC00) --cut;
    std::u16string_view piece = original_.substr(begin, cut - begin);
    if (!sink({piece, piece})) return false;
    begin = cut;
  }
  return true;
}

bool TextSplice::ForEachPiece(const std::function<bool(const Piece&)>& sink) const {
  size_t done = 0;
  for (const Hit& hit : hits_) {
    if (!Unchanged(done, hit.start, sink)) return false;
    if (!sink({original_.substr(hit.start, hit.length), replacements_[hit.replacement]})) {
      return false;
    }
    done = hit.start + hit.length;
  }
  return Unchanged(done, original_.size(), sink);
}

std::u16string TextSplice::NewText() const {
  std::u16string text;
  ForEachPiece([&text](const Piece& piece) {
    text.append(piece.text);
    return true;
  });
  return text;
}

}  // namespace quonder
