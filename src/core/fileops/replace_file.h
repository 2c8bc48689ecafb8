// One file of a replace run, from its first selected row to its write: read and decoded once,
// every hit checked and taken, encoded and written once. The rules that keep a file whole live
// here; the run (core/fileops/replace_run.h) only walks the rows.
//
// Memory: the file's bytes (kept to check the file again before the rename), its decoded text
// and the hits; the new content is encoded and written piece by piece, never held whole, except
// for a charset with shift states whose pieces do not come out as the file's own bytes, or one
// whose encoded pieces cannot be joined (TextCodec::EncodesInPieces): then the new text and its
// bytes are built whole once.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/fileops/file_stamp.h"
#include "core/fileops/replace_run.h"
#include "core/fileops/text_splice.h"
#include "core/text/text_stream.h"

namespace quonder {

class AtomicWriter;

class ReplaceFile {
 public:
  // Reads and decodes the file at `full_path` with `codec` (null when the charset could not be
  // opened; `codec_status` then says why). A file that cannot be taken is marked untouched at
  // once: no codec, `seen_before` (its rows are not together), a path that leads out of
  // `source_folder` (through a link), read-only, several hard links, unreadable, or bytes
  // invalid in the charset.
  ReplaceFile(std::string full_path, std::string relative_path, TextCodec* codec,
              const Status& codec_status, bool seen_before, const std::string& source_folder);
  ReplaceFile(const ReplaceFile&) = delete;
  ReplaceFile& operator=(const ReplaceFile&) = delete;

  const std::string& full_path() const { return full_path_; }
  const std::string& relative_path() const { return relative_path_; }
  // What was read (valid when the file was read: not untouched right after construction).
  const FileStamp& stamp() const { return stamp_; }
  // The file as Finish left it when it wrote it (its new inode), else stamp().
  const FileStamp& written_stamp() const { return written_ ? *written_ : stamp_; }

  // Counts one selected row of the file and takes its hit: `found` is the hit's text as it
  // must stand at 1-based `pointer`. A hit that does not fit marks the file untouched. Once
  // the file is untouched, only counts.
  void AddHit(int64_t pointer, std::u16string_view found, std::u16string_view replacement);

  // The backup step copied the file into `backup_folder`: before the new content replaces the
  // file, that copy is made to hold exactly what is replaced (core/fileops/backup.h), or the
  // file is left untouched.
  void KeepBackupInStep(std::string backup_folder) { backup_folder_ = std::move(backup_folder); }

  // Marks the file untouched; the first reason given is kept.
  void MarkUntouched(UntouchedReason reason, std::string detail);

  // Encodes the new text and, unless `dry_run`, writes it over the file (the target of a
  // symbolic link) when it differs. Marks the file untouched when the charset would not write
  // the file's own bytes back the same, the new text cannot be encoded, the write fails, or the
  // file changed on disk (checked right before the rename). Call once.
  void Finish(bool dry_run);

  int32_t rows() const { return rows_; }
  const std::optional<UntouchedFile>& untouched() const { return untouched_; }

 private:
  void Load(const Status& codec_status, bool seen_before, const std::string& source_folder);
  // Opens `writer` on the target and writes the byte-order mark; false, the file marked
  // untouched, when that fails.
  bool StartWriting(AtomicWriter& writer);
  // Encodes piece by piece, checking each original piece against the file's bytes, and writes
  // to `writer` when given. False (nothing marked) when a piece does not come out as the bytes.
  bool EncodeInPieces(AtomicWriter* writer);
  void EncodeWhole(bool dry_run);
  void Commit(AtomicWriter& writer);
  std::string_view Content() const { return std::string_view(bytes_).substr(bom_length_); }

  std::string full_path_;
  std::string relative_path_;
  std::string target_;         // where the file really is: links resolved
  std::string backup_folder_;  // empty: no backup to keep in step
  TextCodec* codec_;
  std::string bytes_;  // the whole file as read, byte-order mark included
  size_t bom_length_ = 0;
  FileStamp stamp_;
  std::optional<FileStamp> written_;
  std::u16string text_;
  std::optional<TextSplice> splice_;
  int32_t rows_ = 0;
  std::optional<UntouchedFile> untouched_;
};

}  // namespace quonder
