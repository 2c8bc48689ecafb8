#include "core/text/utf_convert.h"

#include <unicode/utf16.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "core/text/fast/utf8_decode.h"

namespace quonder {
namespace {

// Appends one code point (already known to be valid) in UTF-8.
void PutCodePoint(char32_t c, std::string& out) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

// Appends `text` in UTF-8; returns false at the first unpaired surrogate when `strict`, else
// writes U+FFFD for it.
bool Append(std::u16string_view text, std::string& out, bool strict) {
  size_t i = 0;
  const size_t n = text.size();
  while (i < n) {
    char16_t u = text[i];
    if (u < 0x80) {
      // Runs of ASCII are the common case in paths and found texts.
      size_t j = i;
      while (j < n && text[j] < 0x80) ++j;
      size_t old = out.size();
      out.resize(old + (j - i));
      for (size_t k = i; k < j; ++k) out[old + k - i] = static_cast<char>(text[k]);
      i = j;
      continue;
    }
    if (U16_IS_LEAD(u) && i + 1 < n && U16_IS_TRAIL(text[i + 1])) {
      PutCodePoint(U16_GET_SUPPLEMENTARY(u, text[i + 1]), out);
      i += 2;
      continue;
    }
    if (U16_IS_SURROGATE(u)) {
      if (strict) return false;
      PutCodePoint(0xFFFD, out);
    } else {
      PutCodePoint(u, out);
    }
    ++i;
  }
  return true;
}

}  // namespace

void AppendUtf8(std::u16string_view text, std::string& out) { Append(text, out, false); }

std::string ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  Append(text, out, false);
  return out;
}

bool EncodeUtf8Strictly(std::u16string_view text, std::string& out) {
  out.clear();
  return Append(text, out, true);
}

std::u16string ToUtf16(std::string_view bytes) {
  // The files' own decoder: a path or a found text reads the same here as in a file.
  std::u16string out;
  bool lossy = false;
  DecodeUtf8(bytes, out, lossy);
  return out;
}

namespace {

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// The bytes that may follow the lead byte `lead` (0xC2-0xF4) in well-formed UTF-8.
struct ByteRange {
  uint8_t low;
  uint8_t high;
};
constexpr ByteRange SecondByteRange(uint8_t lead) {
  switch (lead) {
    case 0xE0:
      return {0xA0, 0xBF};  // no overlong three-byte form
    case 0xED:
      return {0x80, 0x9F};  // no surrogate
    case 0xF0:
      return {0x90, 0xBF};  // no overlong four-byte form
    case 0xF4:
      return {0x80, 0x8F};  // nothing above U+10FFFF
    default:
      return {0x80, 0xBF};
  }
}

// Length of the leading run of ASCII bytes of p[0, n).
size_t AsciiPrefix(const char* p, size_t n) {
  size_t i = 0;
#ifdef __SSE2__
  while (i + 16 <= n) {
    unsigned mask = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i))));
    if (mask != 0) return i + static_cast<size_t>(__builtin_ctz(mask));
    i += 16;
  }
#endif
  while (i < n && static_cast<unsigned char>(p[i]) < 0x80) ++i;
  return i;
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
  const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
  const size_t n = bytes.size();
  size_t i = 0;
  while (i < n) {
    i += AsciiPrefix(bytes.data() + i, n - i);
    if (i >= n) break;
    const unsigned char c = s[i];
    size_t length;
    if (c >= 0xC2 && c <= 0xDF) {
      length = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
      length = 3;
    } else if (c >= 0xF0 && c <= 0xF4) {
      length = 4;
    } else {
      return false;
    }
    const ByteRange second = SecondByteRange(c);
    if (n - i < length || s[i + 1] < second.low || s[i + 1] > second.high) return false;
    for (size_t k = 2; k < length; ++k) {
      if (!IsContinuation(s[i + k])) return false;
    }
    i += length;
  }
  return true;
}

size_t Utf16Length(std::string_view valid_utf8) {
  const char* p = valid_utf8.data();
  const size_t n = valid_utf8.size();
  size_t units = 0;
  size_t i = 0;
#ifdef __SSE2__
  // Continuation bytes (0x80-0xBF) are the signed values below -64; four-byte leads
  // (0xF0-0xF4) the signed values from -16 to -1, and add a second unit.
  const __m128i below = _mm_set1_epi8(-64);
  const __m128i above = _mm_set1_epi8(-17);
  const __m128i zero = _mm_setzero_si128();
  while (i + 16 <= n) {
    // Per lane: +1 for a continuation byte (taken off below), +1 for a four-byte lead. Lanes
    // are folded into the total before an 8-bit lane could overflow.
    const size_t blocks = std::min<size_t>((n - i) / 16, 127);
    __m128i continuation = zero, four = zero;
    for (size_t b = 0; b < blocks; ++b, i += 16) {
      __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
      continuation = _mm_sub_epi8(continuation, _mm_cmplt_epi8(v, below));
      four = _mm_sub_epi8(four, _mm_and_si128(_mm_cmpgt_epi8(v, above), _mm_cmplt_epi8(v, zero)));
    }
    auto total = [&](__m128i sums) {
      __m128i halves = _mm_sad_epu8(sums, zero);
      return static_cast<size_t>(_mm_cvtsi128_si64(halves) +
                                 _mm_cvtsi128_si64(_mm_unpackhi_epi64(halves, halves)));
    };
    units += 16 * blocks - total(continuation) + total(four);
  }
#endif
  for (; i < n; ++i) {
    unsigned char c = static_cast<unsigned char>(p[i]);
    units += !IsContinuation(c) + (c >= 0xF0);
  }
  return units;
}

size_t Utf16LengthLossy(std::string_view bytes) {
  // Counts what U8_NEXT_OR_FFFD would decode without building the characters: each
  // well-formed sequence is one unit (a four-byte one two), and each ill-formed subpart one
  // U+FFFD, where the subpart is the longest prefix of a sequence that could still be
  // well-formed. So every byte that is no lead byte (0xC2-0xF4) and not taken by the lead
  // before it counts one unit alone: between leads, bytes are counted sixteen at a time, which
  // is what keeps binary files (long stretches of such bytes) cheap.
  const auto* s = reinterpret_cast<const uint8_t*>(bytes.data());
  const size_t n = bytes.size();
  auto trail = [&](size_t at, ByteRange range) {
    return at < n && s[at] >= range.low && s[at] <= range.high;
  };
  constexpr ByteRange kContinuation = {0x80, 0xBF};
  size_t units = 0;
  size_t i = 0;
  while (i < n) {
#ifdef __SSE2__
    if (i + 16 <= n) {
      // Lead bytes are the signed values from -62 (0xC2) to -12 (0xF4).
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
      const auto leads = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(
          _mm_cmpgt_epi8(v, _mm_set1_epi8(-63)), _mm_cmplt_epi8(v, _mm_set1_epi8(-11)))));
      const size_t alone = leads == 0 ? 16 : static_cast<size_t>(__builtin_ctz(leads));
      units += alone;
      i += alone;
      if (leads == 0) continue;
    }
#endif
    const uint8_t c = s[i];
    ++units;
    ++i;
    if (c < 0xC2 || c > 0xF4) continue;
    if (c < 0xE0) {
      i += trail(i, kContinuation);
    } else if (c < 0xF0) {
      if (trail(i, SecondByteRange(c))) i += 1 + trail(i + 1, kContinuation);
    } else if (trail(i, SecondByteRange(c))) {
      ++i;
      if (trail(i, kContinuation)) {
        ++i;
        if (trail(i, kContinuation)) {
          ++i;
          ++units;  // a supplementary character: two units
        }
      }
    }
  }
  return units;
}

void DecodeValidUtf8(std::string_view valid_utf8, std::u16string& text) {
  text.clear();
  const auto* s = reinterpret_cast<const uint8_t*>(valid_utf8.data());
  const int32_t length = static_cast<int32_t>(valid_utf8.size());
  int32_t i = 0;
  while (i < length) {
    UChar32 c;
    U8_NEXT_UNSAFE(s, i, c);
    if (c <= 0xFFFF) {
      text.push_back(static_cast<char16_t>(c));
    } else {
      text.push_back(U16_LEAD(c));
      text.push_back(U16_TRAIL(c));
    }
  }
}

}  // namespace quonder
