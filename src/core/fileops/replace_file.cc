#include "core/fileops/replace_file.h"

#include <sys/stat.h>

#include <utility>

#include "core/fileops/atomic_file.h"
#include "core/fileops/file_ops_util.h"

namespace quonder {
namespace {

bool StatFile(const std::string& path, struct stat& st) {
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool SameTime(const struct timespec& a, const struct timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

}  // namespace

ReplaceFile::ReplaceFile(std::string full_path, std::string relative_path, TextCodec* codec,
                         const Status& codec_status, bool seen_before)
    : full_path_(std::move(full_path)), relative_path_(std::move(relative_path)), codec_(codec) {
  Load(codec_status, seen_before);
}

void ReplaceFile::MarkUntouched(UntouchedReason reason, std::string detail) {
  if (untouched_) return;
  untouched_ = UntouchedFile{relative_path_, reason, std::move(detail)};
  splice_.reset();
  text_.clear();
  text_.shrink_to_fit();
}

void ReplaceFile::Load(const Status& codec_status, bool seen_before) {
  if (codec_ == nullptr) {
    MarkUntouched(UntouchedReason::kUnknownCharset, codec_status.message());
    return;
  }
  if (seen_before) {
    MarkUntouched(UntouchedReason::kRowsOutOfOrder,
                  "its rows are not together in the list: \"" + full_path_ + "\"");
    return;
  }
  if (IsMarkedReadOnly(full_path_)) {
    MarkUntouched(UntouchedReason::kReadOnly, "\"" + full_path_ + "\" is read-only");
    return;
  }
  struct stat st;
  if (!StatFile(full_path_, st)) {
    MarkUntouched(UntouchedReason::kUnreadable, "Cannot read \"" + full_path_ + "\"");
    return;
  }
  size_ = st.st_size;
  modified_ = st.st_mtim;

  std::string bytes;
  Status status = ReadWholeFile(full_path_, bytes);
  if (!status.ok()) {
    MarkUntouched(UntouchedReason::kUnreadable, status.message());
    return;
  }
  std::string_view content(bytes);
  size_t bom_length = codec_->BomLength(content);
  bom_.assign(content.substr(0, bom_length));
  content.remove_prefix(bom_length);

  bool lossy = false;
  status = codec_->Decode(content, text_, lossy);
  if (!status.ok() || lossy) {
    MarkUntouched(
        UntouchedReason::kLossy,
        status.ok() ? "\"" + full_path_ + "\" is not valid " + codec_->Name() : status.message());
    return;
  }
  // Only a file whose own bytes come back from its text can be rewritten byte for byte outside
  // the hits (a charset may map two byte sequences to one character).
  std::string again;
  if (!codec_->Encode(text_, again).ok() || again != content) {
    MarkUntouched(UntouchedReason::kNoRoundTrip,
                  "\"" + full_path_ + "\" would not be written back the same in " + codec_->Name());
    return;
  }
  splice_.emplace(text_);
}

void ReplaceFile::AddHit(int64_t pointer, std::u16string_view found,
                         std::u16string_view replacement) {
  ++rows_;
  if (untouched_) return;
  switch (splice_->Replace(pointer, found, replacement)) {
    case TextSplice::Result::kOk:
      return;
    case TextSplice::Result::kMismatch:
      MarkUntouched(UntouchedReason::kStale, "the text at position " + std::to_string(pointer) +
                                                 " of \"" + full_path_ +
                                                 "\" is no longer the found text");
      return;
    case TextSplice::Result::kOutOfOrder:
      MarkUntouched(UntouchedReason::kRowsOutOfOrder,
                    "the hit at position " + std::to_string(pointer) + " of \"" + full_path_ +
                        "\" overlaps the one before");
      return;
  }
}

void ReplaceFile::Finish(bool dry_run) {
  if (untouched_) return;
  std::u16string new_text = splice_->Finish();
  std::string bytes;
  Status status = codec_->Encode(new_text, bytes);
  if (!status.ok()) {
    MarkUntouched(UntouchedReason::kUnencodable, status.message());
    return;
  }
  if (dry_run || new_text == text_) return;

  struct stat st;
  if (!StatFile(full_path_, st) || st.st_size != size_ || !SameTime(st.st_mtim, modified_)) {
    MarkUntouched(UntouchedReason::kStale,
                  "\"" + full_path_ + "\" changed while it was being replaced");
    return;
  }
  bytes.insert(0, bom_);
  status = WriteFileAtomically(full_path_, bytes);
  if (!status.ok()) MarkUntouched(UntouchedReason::kUnwritable, status.message());
}

}  // namespace quonder
