// One file of a replace run, from its first selected row to its write: read and decoded once,
// every hit checked and spliced, encoded and written once. The rules that keep a file whole
// live here; the run (core/replace_run.h) only walks the rows.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/fileops/replace_run.h"
#include "core/fileops/text_splice.h"
#include "core/text/text_stream.h"

namespace quonder {

class ReplaceFile {
 public:
  // Reads and decodes the file at `full_path` with `codec` (null when the charset could not be
  // opened; `codec_status` then says why). A file that cannot be taken is marked untouched at
  // once: no codec, `seen_before` (its rows are not together), read-only, unreadable, lossy,
  // or bytes that the charset would not encode back identically.
  ReplaceFile(std::string full_path, std::string relative_path, TextCodec* codec,
              const Status& codec_status, bool seen_before);
  ReplaceFile(const ReplaceFile&) = delete;
  ReplaceFile& operator=(const ReplaceFile&) = delete;

  const std::string& full_path() const { return full_path_; }
  const std::string& relative_path() const { return relative_path_; }

  // Counts one selected row of the file and splices its hit: `found` is the hit's text as it
  // must stand at 1-based `pointer`. A hit that does not fit marks the file untouched. Once
  // the file is untouched, only counts.
  void AddHit(int64_t pointer, std::u16string_view found, std::u16string_view replacement);

  // Marks the file untouched; the first reason given is kept.
  void MarkUntouched(UntouchedReason reason, std::string detail);

  // Encodes the new text and, unless `dry_run`, writes it over the file (to the target of a
  // symbolic link), unless the file changed on disk since it was read. An unchanged text is not
  // written. Marks the file untouched on any failure. Call once.
  void Finish(bool dry_run);

  int32_t rows() const { return rows_; }
  const std::optional<UntouchedFile>& untouched() const { return untouched_; }

 private:
  void Load(const Status& codec_status, bool seen_before);

  std::string full_path_;
  std::string relative_path_;
  TextCodec* codec_;
  std::string bom_;
  std::u16string text_;
  std::optional<TextSplice> splice_;
  off_t size_ = 0;
  struct timespec modified_ = {};
  int32_t rows_ = 0;
  std::optional<UntouchedFile> untouched_;
};

}  // namespace quonder
