#include "core/search/fast/line_scan.h"

#include <algorithm>
#include <string>
#include <type_traits>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace quonder {
namespace {

template <typename CharT>
struct Simd;

#ifdef __SSE2__
template <>
struct Simd<char> {
  static constexpr size_t kLanes = 16;
  static __m128i Splat(char16_t c) { return _mm_set1_epi8(static_cast<char>(c)); }
  static __m128i Equal(const char* p, __m128i v) {
    return _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), v);
  }
  // Adds one to every lane where `mask` is set (a set lane is -1).
  static __m128i Add(__m128i sums, __m128i mask) { return _mm_sub_epi8(sums, mask); }
  static int64_t Total(__m128i sums) {
    __m128i halves = _mm_sad_epu8(sums, _mm_setzero_si128());
    return _mm_cvtsi128_si64(halves) + _mm_cvtsi128_si64(_mm_unpackhi_epi64(halves, halves));
  }
};

template <>
struct Simd<char16_t> {
  static constexpr size_t kLanes = 8;
  static __m128i Splat(char16_t c) { return _mm_set1_epi16(static_cast<short>(c)); }
  static __m128i Equal(const char16_t* p, __m128i v) {
    return _mm_cmpeq_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), v);
  }
  static __m128i Add(__m128i sums, __m128i mask) { return _mm_sub_epi16(sums, mask); }
  static int64_t Total(__m128i sums) {
    __m128i pairs = _mm_madd_epi16(sums, _mm_set1_epi16(1));
    alignas(16) int32_t lanes[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), pairs);
    return int64_t{lanes[0]} + lanes[1] + lanes[2] + lanes[3];
  }
};

// Lanes are summed in vectors and folded into the count every this many blocks, before an
// 8-bit lane could overflow.
constexpr size_t kBlocksPerTotal = 255;
#endif

template <typename CharT>
bool Is(CharT c, char16_t unit) {
  return static_cast<char16_t>(static_cast<std::make_unsigned_t<CharT>>(c)) == unit;
}

template <typename CharT>
char16_t UnitOf(CharT c) {
  return static_cast<char16_t>(static_cast<std::make_unsigned_t<CharT>>(c));
}

// One-unit code: count units equal to `c` in [from, to).
template <typename CharT>
LineFeedScan ScanOne(std::basic_string_view<CharT> text, size_t from, size_t to, char16_t c) {
  LineFeedScan scan;
  const CharT* p = text.data();
  size_t i = from;
#ifdef __SSE2__
  using S = Simd<CharT>;
  const auto value = S::Splat(c);
  while (i + S::kLanes <= to) {
    const size_t blocks = std::min((to - i) / S::kLanes, kBlocksPerTotal);
    __m128i sums = _mm_setzero_si128();
    for (size_t b = 0; b < blocks; ++b, i += S::kLanes) sums = S::Add(sums, S::Equal(p + i, value));
    scan.count += S::Total(sums);
  }
#endif
  for (; i < to; ++i) scan.count += Is(p[i], c);
  if (scan.count > 0) {
    size_t last = to;
    while (!Is(p[last - 1], c)) --last;
    scan.end_of_last = last;
  }
  return scan;
}

// Two different units c0 c1 (never overlapping themselves): count positions r in [from, to)
// with text[r] == c0 and text[r + 1] == c1.
template <typename CharT>
LineFeedScan ScanTwo(std::basic_string_view<CharT> text, size_t from, size_t to, char16_t c0,
                     char16_t c1) {
  LineFeedScan scan;
  if (text.size() < 2) return scan;
  if (to > text.size() - 1) to = text.size() - 1;  // an occurrence must fit in the text
  if (from >= to) return scan;
  const CharT* p = text.data();
  size_t i = from;
#ifdef __SSE2__
  using S = Simd<CharT>;
  const auto v0 = S::Splat(c0);
  const auto v1 = S::Splat(c1);
  while (i + S::kLanes <= to) {
    const size_t blocks = std::min((to - i) / S::kLanes, kBlocksPerTotal);
    __m128i sums = _mm_setzero_si128();
    for (size_t b = 0; b < blocks; ++b, i += S::kLanes) {
      sums = S::Add(sums, _mm_and_si128(S::Equal(p + i, v0), S::Equal(p + i + 1, v1)));
    }
    scan.count += S::Total(sums);
  }
#endif
  for (; i < to; ++i) scan.count += Is(p[i], c0) && Is(p[i + 1], c1);
  if (scan.count > 0) {
    size_t last = to;
    while (!(Is(p[last - 1], c0) && Is(p[last], c1))) --last;
    scan.end_of_last = last + 1;
  }
  return scan;
}

// Any other code: a plain search loop.
template <typename CharT>
LineFeedScan ScanAny(std::basic_string_view<CharT> text, size_t from, size_t to,
                     std::basic_string_view<CharT> code) {
  LineFeedScan scan;
  size_t pos = from;
  while (pos < to && pos + code.size() <= text.size()) {
    size_t k = 0;
    while (k < code.size() && text[pos + k] == code[k]) ++k;
    if (k == code.size()) {
      ++scan.count;
      pos += code.size();
      scan.end_of_last = pos;
    } else {
      ++pos;
    }
  }
  return scan;
}

template <typename CharT>
LineFeedScan Scan(std::basic_string_view<CharT> text, size_t from, size_t to,
                  std::basic_string_view<CharT> code) {
  if (to > text.size()) to = text.size();
  if (code.empty() || from >= to) return {};
  if (code.size() == 1) return ScanOne(text, from, to, UnitOf(code[0]));
  if (code.size() == 2 && code[0] != code[1]) {
    return ScanTwo(text, from, to, UnitOf(code[0]), UnitOf(code[1]));
  }
  return ScanAny(text, from, to, code);
}

}  // namespace

LineFeedScan ScanLineFeeds(std::u16string_view text, size_t from, size_t to,
                           std::u16string_view code) {
  return Scan(text, from, to, code);
}

LineFeedScan ScanLineFeeds(std::string_view utf8_text, size_t from, size_t to,
                           std::string_view code) {
  return Scan(utf8_text, from, to, code);
}

}  // namespace quonder
