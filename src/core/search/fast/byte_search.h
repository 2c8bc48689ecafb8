// Searching raw bytes fast, for the find run's work before (or instead of) decoding: a
// vectorised two-byte filter with a full compare of each candidate, and the pure-ASCII test.
#pragma once

#include <string>
#include <string_view>

namespace quonder {

// Finds a fixed byte string. Caseless mode takes ASCII letters of either case as equal and
// compares every other byte exactly; the needle is then given with its letters in lower case.
// Immutable after construction: one finder may be used by many threads.
class ByteFinder {
 public:
  ByteFinder() = default;
  ByteFinder(std::string_view needle, bool ascii_caseless);

  // Position of the first occurrence that begins at or after `from`, or npos. An empty
  // needle finds nothing.
  size_t Find(std::string_view haystack, size_t from) const;

  const std::string& needle() const { return needle_; }
  bool caseless() const { return caseless_; }
  bool empty() const { return needle_.empty(); }

 private:
  bool Matches(const char* at) const;

  std::string needle_;
  std::string or_mask_;  // per needle byte: 0x20 for a letter in caseless mode, else 0
  bool caseless_ = false;
  // The two needle positions the filter tests: the rarest bytes by a fixed frequency rank.
  size_t first_ = 0;
  size_t second_ = 0;
};

// How common `byte` is in source code and prose, higher is more common (letters of either case
// alike when `caseless`). Only the order means anything: ByteFinder tests the two rarest
// needle bytes, which keeps false candidates few.
int ByteCommonness(unsigned char byte, bool caseless);

// True when every byte is below 0x80.
bool IsAscii(std::string_view bytes);

// Lower-cases the ASCII letters of `text` (every other byte unchanged).
std::string AsciiLower(std::string_view text);

}  // namespace quonder
