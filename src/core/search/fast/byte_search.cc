#include "core/search/fast/byte_search.h"

#include <cstdint>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace quonder {
namespace {

bool IsAsciiLetter(unsigned char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }

}  // namespace

int ByteCommonness(unsigned char c, bool caseless) {
  static constexpr char kByMostCommon[] = " etaoinsrlcdhup\n\tmf.,_(;)=gybw\"x'v-k/*{}0>1:<#[]2";
  unsigned char probe = caseless && IsAsciiLetter(c) ? static_cast<unsigned char>(c | 0x20) : c;
  const char* at = std::strchr(kByMostCommon, probe);
  if (probe != 0 && at != nullptr) return 1000 - static_cast<int>(at - kByMostCommon);
  if (!caseless && c >= 'A' && c <= 'Z') return 500;  // upper case: rarer than most lower
  return c >= 0x80 ? 100 : 300;
}

ByteFinder::ByteFinder(std::string_view needle, bool ascii_caseless)
    : needle_(needle), or_mask_(needle.size(), '\0'), caseless_(ascii_caseless) {
  for (size_t i = 0; i < needle_.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(needle_[i]);
    if (caseless_ && IsAsciiLetter(c)) {
      needle_[i] = static_cast<char>(c | 0x20);
      or_mask_[i] = 0x20;
    }
  }
  if (needle_.empty()) return;
  // The rarest byte, then the rarest other position (ties: the one further away).
  int best = 1 << 30;
  for (size_t i = 0; i < needle_.size(); ++i) {
    int rank = ByteCommonness(static_cast<unsigned char>(needle_[i]), caseless_);
    if (rank < best) best = rank, first_ = i;
  }
  second_ = first_;
  best = 1 << 30;
  for (size_t i = 0; i < needle_.size(); ++i) {
    if (i == first_) continue;
    int rank = ByteCommonness(static_cast<unsigned char>(needle_[i]), caseless_);
    if (rank < best ||
        (rank == best && (i > first_ ? i - first_ : first_ - i) >
                             (second_ > first_ ? second_ - first_ : first_ - second_))) {
      best = rank, second_ = i;
    }
  }
}

bool ByteFinder::Matches(const char* at) const {
  if (!caseless_) return std::memcmp(at, needle_.data(), needle_.size()) == 0;
  for (size_t i = 0; i < needle_.size(); ++i) {
    if ((at[i] | or_mask_[i]) != needle_[i]) return false;
  }
  return true;
}

size_t ByteFinder::Find(std::string_view haystack, size_t from) const {
  const size_t n = needle_.size();
  if (n == 0 || from > haystack.size() || haystack.size() - from < n) return std::string_view::npos;
  const char* base = haystack.data();
  const size_t last_start = haystack.size() - n;  // the last position an occurrence may begin
  size_t pos = from;
#ifdef __SSE2__
  const size_t lo = first_ < second_ ? first_ : second_;
  const size_t hi = first_ < second_ ? second_ : first_;
  const __m128i value_lo = _mm_set1_epi8(needle_[lo]);
  const __m128i value_hi = _mm_set1_epi8(needle_[hi]);
  const __m128i mask_lo = _mm_set1_epi8(or_mask_[lo]);
  const __m128i mask_hi = _mm_set1_epi8(or_mask_[hi]);
  // Blocks of 16 start positions whose tested bytes all lie inside the haystack.
  while (pos + 16 <= last_start + 1) {
    __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + pos + lo));
    __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + pos + hi));
    __m128i hit = _mm_and_si128(_mm_cmpeq_epi8(_mm_or_si128(a, mask_lo), value_lo),
                                _mm_cmpeq_epi8(_mm_or_si128(b, mask_hi), value_hi));
    unsigned bits = static_cast<unsigned>(_mm_movemask_epi8(hit));
    while (bits != 0) {
      size_t candidate = pos + static_cast<size_t>(__builtin_ctz(bits));
      if (Matches(base + candidate)) return candidate;
      bits &= bits - 1;
    }
    pos += 16;
  }
#endif
  for (; pos <= last_start; ++pos) {
    if (((base[pos + first_] | or_mask_[first_]) == needle_[first_]) && Matches(base + pos)) {
      return pos;
    }
  }
  return std::string_view::npos;
}

bool IsAscii(std::string_view bytes) {
  const char* p = bytes.data();
  size_t n = bytes.size();
  size_t i = 0;
#ifdef __SSE2__
  while (i + 64 <= n) {
    __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 16));
    __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 32));
    __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 48));
    if (_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(a, b), _mm_or_si128(c, d))) != 0) return false;
    i += 64;
  }
#endif
  uint64_t any = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t word;
    std::memcpy(&word, p + i, 8);
    any |= word;
  }
  for (; i < n; ++i) any |= static_cast<unsigned char>(p[i]);
  return (any & 0x8080808080808080ULL) == 0;
}

std::string AsciiLower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c | 0x20);
  }
  return lower;
}

}  // namespace quonder
