#include "core/fileops/text_splice.h"

#include <utility>

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
  if (out_.empty() && hits_ == 0) out_.reserve(original_.size() + replacement.size());
  out_.append(original_.substr(next_unread_, start - next_unread_));
  out_.append(replacement);
  next_unread_ = start + found.size();
  ++hits_;
  return Result::kOk;
}

std::u16string TextSplice::Finish() {
  out_.append(original_.substr(next_unread_));
  next_unread_ = original_.size();
  return std::move(out_);
}

}  // namespace quonder
