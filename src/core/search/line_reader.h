// Reading the line of one hit again from its file, for the hover preview, with no more of the
// file than the charset makes necessary. In a charset that decodes as UTF-8, and in a
// single-byte charset, the hit's byte is found without decoding the file: UTF-8 is read in
// pieces up to the hit, counting UTF-16 units, and only the bytes around the hit are decoded;
// memory stays at a few megabytes whatever the file's size. Any other charset decodes the whole
// file (kept for the next read when it is small).
//
// A LineReader keeps where the pieces of the last file it read begin (their byte and unit
// offsets), so that hovering along the rows of one large file reads each part of it once.
// Not thread-safe: used by one thread at a time.
#pragma once

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/search/line_preview.h"
#include "core/text/text_stream.h"

namespace quonder {

class LineReader {
 public:
  enum class Outcome {
    kShown,       // `preview` holds the line
    kBeyondText,  // the pointer lies beyond the file's text (the file changed)
    kFailed,      // the file could not be opened, read or decoded: failure() says why
    kCancelled,   // `cancelled` returned true
  };

  // Bytes read at a time while counting units (at least 8). A test may make it tiny; 0
  // restores the default.
  void SetPieceBytes(size_t bytes) {
    piece_bytes_ = bytes == 0 ? kPieceBytes : std::max<size_t>(bytes, 8);
  }

  // `max_chars` that asks for the whole line, however long.
  static constexpr size_t kWholeLine = SIZE_MAX;

  // The preview (ExtractLinePreview, `max_chars`) of the hit at 1-based `pointer` (UTF-16 units
  // of the text decoded with `codec`) in the file at `path`. `cancelled` is asked between
  // pieces.
  Outcome Read(const std::string& path, TextCodec& codec, int64_t pointer,
               std::u16string_view expected_hit, size_t max_chars,
               const std::function<bool()>& cancelled, LinePreview& preview);

  // Why the last Read gave kFailed, in a few words without the path (the system's reason, "not
  // a regular file", ...); empty after any other outcome.
  const std::string& failure() const { return failure_; }

  // Forgets what was kept of the last file.
  void Reset();

 private:
  static constexpr size_t kPieceBytes = size_t{1} << 20;
  // Decoded texts of files read whole are kept for the next read up to this many units.
  static constexpr size_t kMaxKeptUnits = size_t{8} << 20;

  struct Key {
    std::string path;
    std::string charset;
    int64_t size = -1;
    timespec modified{};
    bool operator==(const Key& other) const;
  };

  Outcome ReadUtf8(int fd, int64_t size, TextCodec& codec, int64_t target,
                   std::u16string_view expected_hit, size_t max_chars,
                   const std::function<bool()>& cancelled, LinePreview& preview);
  Outcome ReadAround(int fd, int64_t size, int64_t start_limit, int64_t hit_byte,
                     std::u16string_view expected_hit, size_t max_chars, TextCodec& codec,
                     bool utf8, LinePreview& preview);
  Outcome ReadPart(int fd, int64_t size, int64_t start_limit, int64_t hit_byte, int64_t context,
                   std::u16string_view expected_hit, size_t max_chars, TextCodec& codec, bool utf8,
                   LinePreview& preview);

  // Sets failure_ and gives kFailed.
  Outcome Fail(std::string reason);

  size_t piece_bytes_ = kPieceBytes;
  std::string failure_;
  Key key_;
  // UTF-8: (byte, unit) offsets where pieces read so far begin, ascending.
  std::vector<std::pair<int64_t, int64_t>> checkpoints_;
  std::u16string text_;  // a small file read whole, for key_
};

}  // namespace quonder
