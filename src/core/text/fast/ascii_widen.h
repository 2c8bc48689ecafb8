// Vector helpers for the decoders: most text is long runs of ASCII, and widening those to
// UTF-16 directly is several times faster than sending them through a converter. SSE2 is part
// of every x86-64 processor; other machines get a word-at-a-time scalar version.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace quonder {

// Widens the leading run of bytes below 0x80 of `src[0, n)` into `dst` and returns its length.
// REQUIRES: `dst` holds n units. Units of `dst` behind the run, up to 16 of them and never past
// dst[n - 1], may be overwritten with garbage.
inline size_t WidenAscii(const char* src, size_t n, char16_t* dst) {
  size_t i = 0;
#ifdef __SSE2__
  const __m128i zero = _mm_setzero_si128();
  while (i + 16 <= n) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    // Storing before looking keeps the loop free of a second branch; a non-ASCII byte's
    // unit is garbage that the caller overwrites.
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_unpacklo_epi8(v, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i + 8), _mm_unpackhi_epi8(v, zero));
    unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(v));
    if (mask != 0) return i + static_cast<size_t>(__builtin_ctz(mask));
    i += 16;
  }
#else
  while (i + 8 <= n) {
    uint64_t word;
    std::memcpy(&word, src + i, 8);
    if (word & 0x8080808080808080ull) break;
    for (int k = 0; k < 8; ++k) dst[i + k] = static_cast<unsigned char>(src[i + k]);
    i += 8;
  }
#endif
  while (i < n && static_cast<unsigned char>(src[i]) < 0x80) {
    dst[i] = static_cast<unsigned char>(src[i]);
    ++i;
  }
  return i;
}

// Length of the leading run of bytes below 0x80 (`want_ascii`) or of bytes from 0x80 up
// (`!want_ascii`) in `src[0, n)`.
inline size_t RunLength(const char* src, size_t n, bool want_ascii) {
  size_t i = 0;
#ifdef __SSE2__
  const unsigned flip = want_ascii ? 0u : 0xFFFFu;
  while (i + 16 <= n) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    unsigned stop = (static_cast<unsigned>(_mm_movemask_epi8(v)) ^ flip) & 0xFFFFu;
    if (stop != 0) return i + static_cast<size_t>(__builtin_ctz(stop));
    i += 16;
  }
#else
  const uint64_t flip = want_ascii ? 0 : 0x8080808080808080ull;
  while (i + 8 <= n) {
    uint64_t word;
    std::memcpy(&word, src + i, 8);
    if (((word & 0x8080808080808080ull) ^ flip) != 0) break;
    i += 8;
  }
#endif
  while (i < n && (static_cast<unsigned char>(src[i]) < 0x80) == want_ascii) ++i;
  return i;
}

// Offset of the first 16-byte block, stepping from src by 16, whose bytes are all below 0x80;
// n when there is none. Finds every ASCII run of 31 bytes or more without stopping at each
// single ASCII byte the way RunLength would (Shift_JIS and Big5 text is full of those).
inline size_t FindAsciiBlock(const char* src, size_t n) {
  size_t i = 0;
  for (; i + 16 <= n; i += 16) {
#ifdef __SSE2__
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    if (_mm_movemask_epi8(v) == 0) return i;
#else
    uint64_t words[2];
    std::memcpy(words, src + i, 16);
    if (((words[0] | words[1]) & 0x8080808080808080ull) == 0) return i;
#endif
  }
  return n;
}

}  // namespace quonder
