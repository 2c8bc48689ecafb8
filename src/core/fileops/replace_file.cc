#include "core/fileops/replace_file.h"

#include <sys/stat.h>

#include <utility>

#include "core/fileops/atomic_file.h"
#include "core/fileops/backup.h"
#include "core/fileops/file_common.h"
#include "core/fileops/file_ops_util.h"

namespace quonder {

ReplaceFile::ReplaceFile(std::string full_path, std::string relative_path, TextCodec* codec,
                         const Status& codec_status, bool seen_before,
                         const std::string& source_folder)
    : full_path_(std::move(full_path)), relative_path_(std::move(relative_path)), codec_(codec) {
  Load(codec_status, seen_before, source_folder);
}

void ReplaceFile::MarkUntouched(UntouchedReason reason, std::string detail) {
  if (untouched_) return;
  untouched_ = UntouchedFile{relative_path_, reason, std::move(detail)};
  splice_.reset();
  text_ = std::u16string();
  bytes_ = std::string();
}

void ReplaceFile::Load(const Status& codec_status, bool seen_before,
                       const std::string& source_folder) {
  const std::string quoted = "\"" + full_path_ + "\"";
  if (codec_ == nullptr) {
    MarkUntouched(UntouchedReason::kUnknownCharset, codec_status.message());
    return;
  }
  if (seen_before) {
    MarkUntouched(UntouchedReason::kRowsOutOfOrder,
                  "its rows are not together in the list: " + quoted);
    return;
  }
  target_ = WriteTarget(full_path_);
  // Finding in a file that a link leads to is fine; writing there is not.
  if (!IsInsideFolder(full_path_, source_folder)) {
    MarkUntouched(UntouchedReason::kOutsideFolder,
                  quoted + " leads to \"" + target_ + "\", outside \"" + source_folder + "\"");
    return;
  }
  if (IsMarkedReadOnly(target_)) {
    MarkUntouched(UntouchedReason::kReadOnly, quoted + " is read-only");
    return;
  }
  // A file its permissions keep this user from writing stays as it is, even where its folder
  // would let a rename put new content in its place (and make the file theirs).
  if (IsBarredFromWriting(target_)) {
    MarkUntouched(UntouchedReason::kReadOnly, quoted + " is not writable for this user");
    return;
  }
  Status status = ReadStampedFile(target_, bytes_, stamp_);
  if (!status.ok()) {
    MarkUntouched(UntouchedReason::kUnreadable, status.message());
    return;
  }
  // A rename gives the file a new inode: its other names would keep the old text.
  if (stamp_.links > 1) {
    MarkUntouched(UntouchedReason::kHardLinks,
                  quoted + " has " + std::to_string(stamp_.links) + " hard links");
    return;
  }
  bom_length_ = codec_->BomLength(bytes_);
  bool lossy = false;
  status = codec_->Decode(Content(), text_, lossy);
  if (!status.ok() || lossy) {
    MarkUntouched(UntouchedReason::kLossy,
                  status.ok() ? quoted + " is not valid " + codec_->Name() : status.message());
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
  const bool write = !dry_run && splice_->Changes();
  if (codec_->EncodesInPieces()) {
    AtomicWriter writer;
    if (write && !StartWriting(writer)) return;
    if (EncodeInPieces(write ? &writer : nullptr)) {
      if (write && !untouched_) Commit(writer);
      return;
    }
    writer.Abandon();
  }
  if (!untouched_) EncodeWhole(dry_run);
}

bool ReplaceFile::StartWriting(AtomicWriter& writer) {
  Status status = writer.Open(target_);
  if (status.ok()) status = writer.Write(std::string_view(bytes_).substr(0, bom_length_));
  if (!status.ok()) MarkUntouched(UntouchedReason::kUnwritable, status.message());
  return status.ok();
}

bool ReplaceFile::EncodeInPieces(AtomicWriter* writer) {
  std::string_view content = Content();
  size_t offset = 0;
  std::string original_bytes, new_bytes;
  bool same = true;
  splice_->ForEachPiece([&](const TextSplice::Piece& piece) {
    // Each piece of the original must come out as the very bytes the file holds there.
    same = codec_->Encode(piece.original, original_bytes).ok() &&
           content.substr(offset, original_bytes.size()) == original_bytes;
    if (!same) return false;
    offset += original_bytes.size();
    std::string_view out = original_bytes;
    if (piece.text.data() != piece.original.data()) {
      Status status = codec_->Encode(piece.text, new_bytes);
      if (!status.ok()) {
        MarkUntouched(UntouchedReason::kUnencodable, status.message());
        return false;
      }
      out = new_bytes;
    }
    if (writer != nullptr) {
      Status status = writer->Write(out);
      if (!status.ok()) {
        MarkUntouched(UntouchedReason::kUnwritable, status.message());
        return false;
      }
    }
    return true;
  });
  return untouched_.has_value() || (same && offset == content.size());
}

// The way for a charset with shift states, whose pieces each start and end in the initial
// state, and for one whose pieces cannot be joined at all: the whole text is checked and the
// whole new text encoded at once.
void ReplaceFile::EncodeWhole(bool dry_run) {
  std::string bytes;
  // Only a file whose own bytes come back from its text can be rewritten byte for byte outside
  // the hits (a charset may also map two byte sequences to one character).
  if (!codec_->Encode(text_, bytes).ok() || bytes != Content()) {
    MarkUntouched(UntouchedReason::kNoRoundTrip,
                  "\"" + full_path_ + "\" would not be written back the same in " + codec_->Name());
    return;
  }
  const bool changes = splice_->Changes();
  {
    // The text as read goes before its new bytes are made: never more than two texts' worth.
    std::u16string new_text = splice_->NewText();
    splice_.reset();
    text_ = std::u16string();
    Status status = codec_->Encode(new_text, bytes);
    if (!status.ok()) {
      MarkUntouched(UntouchedReason::kUnencodable, status.message());
      return;
    }
  }
  if (dry_run || !changes) return;
  AtomicWriter writer;
  if (!StartWriting(writer)) return;
  Status status = writer.Write(bytes);
  if (!status.ok()) {
    MarkUntouched(UntouchedReason::kUnwritable, status.message());
    return;
  }
  Commit(writer);
}

// Renames the complete, flushed content over the file unless the file is no longer what was
// read: a change made meanwhile (even one appended while the new content was written) wins.
void ReplaceFile::Commit(AtomicWriter& writer) {
  if (!backup_folder_.empty()) {
    Status renewed = RenewBackupCopy(backup_folder_, relative_path_, bytes_);
    if (!renewed.ok()) {
      writer.Abandon();
      MarkUntouched(UntouchedReason::kBackupNotRenewed, renewed.message());
      return;
    }
  }
  bool changed = false;
  Status status = writer.Commit([&] {
    if (IsUnchanged(target_, stamp_, bytes_)) return Status::Ok();
    changed = true;
    return Status::Error(Status::Code::kIoError, "");
  });
  if (changed) {
    MarkUntouched(UntouchedReason::kChangedWhileReplacing,
                  "\"" + full_path_ + "\" changed while it was being replaced");
    return;
  }
  if (!status.ok()) {
    MarkUntouched(UntouchedReason::kUnwritable, status.message());
    return;
  }
  struct stat st;
  if (::stat(target_.c_str(), &st) == 0) {
    written_ = StampOf(st);
  }
}

}  // namespace quonder
