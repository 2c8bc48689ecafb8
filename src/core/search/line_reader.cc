#include "core/search/line_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unicode/utf8.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

#include "core/io_reasons.h"
#include "core/retrying_io.h"
#include "core/search/fast/anonymous_memory.h"
#include "core/text/utf_convert.h"
#include "core/unique_fd.h"

namespace quonder {
namespace {

// errno in words; unlike strerror, safe on any thread.
std::string SystemReason() { return std::generic_category().message(errno); }

bool IsContinuation(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

// Where UTF-8 `bytes` may be cut so that both sides decode alone as they do together (every
// ill-formed subpart read as one U+FFFD): before the last byte among the last four that is no
// continuation byte, which always begins a sequence; else at the end, since no sequence can
// run from before four continuation bytes to after them.
size_t LastBoundary(std::string_view bytes) {
  for (size_t back = 1; back <= 4 && back <= bytes.size(); ++back) {
    if (!IsContinuation(bytes[bytes.size() - back])) return bytes.size() - back;
  }
  return bytes.size();
}

// The byte of `bytes` where the `units`-th UTF-16 unit begins (REQUIRES: `bytes` decode to more
// units than that). A unit inside a surrogate pair gives the pair's start.
size_t ByteOfUnit(std::string_view bytes, int64_t units) {
  const auto* s = reinterpret_cast<const uint8_t*>(bytes.data());
  const int32_t n = static_cast<int32_t>(bytes.size());
  int32_t i = 0;
  int64_t counted = 0;
  while (i < n) {
    const int32_t start = i;
    UChar32 c;
    U8_NEXT_OR_FFFD(s, i, n, c);
    counted += c > 0xFFFF ? 2 : 1;
    if (counted > units) return static_cast<size_t>(start);
  }
  return bytes.size();
}

}  // namespace

bool LineReader::Key::operator==(const Key& other) const {
  return path == other.path && charset == other.charset && size == other.size &&
         modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec;
}

LineReader::Outcome LineReader::Fail(std::string reason) {
  failure_ = std::move(reason);
  return Outcome::kFailed;
}

void LineReader::Reset() {
  key_ = Key();
  checkpoints_.clear();
  checkpoints_.shrink_to_fit();
  std::u16string().swap(text_);
}

LineReader::Outcome LineReader::Read(const std::string& path, TextCodec& codec, int64_t pointer,
                                     std::u16string_view expected_hit, size_t max_chars,
                                     const std::function<bool()>& cancelled, LinePreview& preview) {
  failure_.clear();
  UniqueFd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  struct stat info;
  if (fd.get() < 0 || fstat(fd.get(), &info) != 0) return Fail(SystemReason());
  if (!S_ISREG(info.st_mode)) return Fail(kNotARegularFile);
  if (pointer < 1) return Outcome::kBeyondText;
  Key key{path, codec.Name(), static_cast<int64_t>(info.st_size), info.st_mtim};
  if (!(key == key_)) {
    Reset();
    key_ = std::move(key);
  }
  const int64_t size = key_.size;
  const int64_t target = pointer - 1;

  if (DecodesAsUtf8(codec)) {
    return ReadUtf8(fd.get(), size, codec, target, expected_hit, max_chars, cancelled, preview);
  }
  if (codec.SingleByte()) {  // such charsets have no byte-order mark
    if (target > size) return Outcome::kBeyondText;
    return ReadAround(fd.get(), size, 0, target, expected_hit, max_chars, codec, false, preview);
  }
  if (text_.empty()) {
    // Read from the descriptor looked at above: the path may name another file by now.
    std::string bytes(static_cast<size_t>(size), '\0');
    const int64_t got = ReadFullyAt(fd.get(), bytes.data(), bytes.size(), 0);
    if (got < 0) return Fail(SystemReason());
    if (got < size) return Outcome::kBeyondText;  // cut short since it was looked at
    const size_t bom = codec.BomLength(bytes);
    bool lossy = false;
    if (!codec.Decode(std::string_view(bytes).substr(bom), text_, lossy).ok()) {
      Reset();
      return Fail("its bytes do not decode in charset \"" + codec.Name() + "\"");
    }
  }
  const bool shown = ExtractLinePreview(text_, pointer, expected_hit, max_chars, preview);
  if (text_.size() > kMaxKeptUnits) Reset();
  return shown ? Outcome::kShown : Outcome::kBeyondText;
}

LineReader::Outcome LineReader::ReadUtf8(int fd, int64_t size, TextCodec& codec, int64_t target,
                                         std::u16string_view expected_hit, size_t max_chars,
                                         const std::function<bool()>& cancelled,
                                         LinePreview& preview) {
  AnonymousMemory piece = AnonymousMemory::Allocate(piece_bytes_);
  if (piece.data() == nullptr) return Fail("not enough memory");
  const size_t piece_bytes = std::min(piece_bytes_, piece.size());
  if (checkpoints_.empty()) {
    const int64_t got = ReadFullyAt(fd, piece.data(), std::min<size_t>(4, piece_bytes), 0);
    if (got < 0) return Fail(SystemReason());
    const auto bom = static_cast<int64_t>(
        codec.BomLength(std::string_view(piece.data(), static_cast<size_t>(got))));
    checkpoints_.emplace_back(bom, 0);
  }
  // Resume at the last piece known to begin at or before the target unit.
  auto from = std::upper_bound(
      checkpoints_.begin(), checkpoints_.end(), target,
      [](int64_t units, const std::pair<int64_t, int64_t>& point) { return units < point.second; });
  auto [byte, units] = *std::prev(from);
  while (true) {
    if (cancelled && cancelled()) return Outcome::kCancelled;
    const int64_t got = ReadFullyAt(fd, piece.data(), piece_bytes, byte);
    if (got < 0) return Fail(SystemReason());
    const std::string_view bytes(piece.data(), static_cast<size_t>(got));
    const bool last = byte + got >= size || got == 0;
    const size_t cut = last ? bytes.size() : LastBoundary(bytes);
    const auto counted = static_cast<int64_t>(Utf16LengthLossy(bytes.substr(0, cut)));
    if (units + counted > target) {
      byte += static_cast<int64_t>(ByteOfUnit(bytes.substr(0, cut), target - units));
      break;
    }
    if (last) {
      if (units + counted < target) return Outcome::kBeyondText;
      byte += got;  // just past the end: an empty hit there
      break;
    }
    byte += static_cast<int64_t>(cut);
    units += counted;
    if (byte > checkpoints_.back().first) checkpoints_.emplace_back(byte, units);
  }
  const int64_t start_limit = checkpoints_.front().first;  // behind the byte-order mark
  return ReadAround(fd, size, start_limit, byte, expected_hit, max_chars, codec, true, preview);
}

LineReader::Outcome LineReader::ReadAround(int fd, int64_t size, int64_t start_limit,
                                           int64_t hit_byte, std::u16string_view expected_hit,
                                           size_t max_chars, TextCodec& codec, bool utf8,
                                           LinePreview& preview) {
  // Enough bytes on each side for `max_chars` units however many bytes a unit takes (at most
  // three in UTF-8), and for the hit itself. The whole line: more until both its ends are in.
  const bool whole = max_chars == kWholeLine;
  int64_t context = whole ? 4096 : static_cast<int64_t>(4 * max_chars + 16);
  while (true) {
    const Outcome outcome = ReadPart(fd, size, start_limit, hit_byte, context, expected_hit,
                                     max_chars, codec, utf8, preview);
    if (!whole || outcome != Outcome::kShown || (!preview.cut_before && !preview.cut_after)) {
      return outcome;
    }
    context *= 2;
  }
}

// Decodes the bytes `context` around `hit_byte` (no further than `start_limit` back) and cuts
// the line out of them.
LineReader::Outcome LineReader::ReadPart(int fd, int64_t size, int64_t start_limit,
                                         int64_t hit_byte, int64_t context,
                                         std::u16string_view expected_hit, size_t max_chars,
                                         TextCodec& codec, bool utf8, LinePreview& preview) {
  const int64_t begin = std::max(start_limit, hit_byte - context);
  const int64_t end =
      std::min(size, hit_byte + 3 * static_cast<int64_t>(expected_hit.size()) + context);
  std::string bytes(static_cast<size_t>(std::max<int64_t>(end - begin, 0)), '\0');
  const int64_t got = ReadFullyAt(fd, bytes.data(), bytes.size(), begin);
  if (got < 0) return Fail(SystemReason());
  // Shorter than when it was looked at: the file has changed.
  if (got < static_cast<int64_t>(bytes.size())) return Outcome::kBeyondText;
  // Cut at character boundaries (in UTF-8) so that the part decodes as it does in the file.
  size_t first = 0;
  size_t last = bytes.size();
  if (utf8) {
    const auto hit = static_cast<size_t>(hit_byte - begin);
    while (begin > start_limit && first < 3 && first < hit && IsContinuation(bytes[first])) {
      ++first;
    }
    if (end < size) last = std::max(hit, LastBoundary(bytes));
  }
  const std::string_view part = std::string_view(bytes).substr(first, last - first);
  std::u16string text;
  int64_t offset = hit_byte - begin - static_cast<int64_t>(first);
  if (utf8) {
    offset = static_cast<int64_t>(Utf16LengthLossy(part.substr(0, static_cast<size_t>(offset))));
    text = ToUtf16(part);
  } else {
    bool lossy = false;
    if (!codec.Decode(part, text, lossy).ok()) {
      return Fail("its bytes do not decode in charset \"" + codec.Name() + "\"");
    }
  }
  const bool more_before = begin + static_cast<int64_t>(first) > start_limit;
  const bool more_after = begin + static_cast<int64_t>(last) < size;
  return ExtractLinePreview(text, offset + 1, expected_hit, max_chars, preview, more_before,
                            more_after)
             ? Outcome::kShown
             : Outcome::kBeyondText;
}

}  // namespace quonder
