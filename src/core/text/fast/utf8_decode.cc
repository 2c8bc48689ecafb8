#include "core/text/fast/utf8_decode.h"

#include <unicode/utf8.h>

#include <cstdint>

#include "core/text/fast/ascii_widen.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace quonder {
namespace {

#ifdef __SSE2__
// True when the next 16 bytes begin with five well-formed three-byte characters, as CJK text
// mostly does; checked in one vector step instead of fifteen branches.
inline bool FiveThreeByteChars(const uint8_t* s) {
  const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
  const auto x = [](int byte) { return static_cast<char>(byte); };
  const __m128i shape_mask =
      _mm_setr_epi8(x(0xF0), x(0xC0), x(0xC0), x(0xF0), x(0xC0), x(0xC0), x(0xF0), x(0xC0), x(0xC0),
                    x(0xF0), x(0xC0), x(0xC0), x(0xF0), x(0xC0), x(0xC0), 0);
  const __m128i shape_want =
      _mm_setr_epi8(x(0xE0), x(0x80), x(0x80), x(0xE0), x(0x80), x(0x80), x(0xE0), x(0x80), x(0x80),
                    x(0xE0), x(0x80), x(0x80), x(0xE0), x(0x80), x(0x80), 0);
  const __m128i shape = _mm_cmpeq_epi8(_mm_and_si128(v, shape_mask), shape_want);
  // After E0 the next byte must be A0 or above (no overlong forms), after ED below A0 (no
  // surrogates).
  const __m128i bit5 = _mm_set1_epi8(0x20);
  const __m128i t1_high = _mm_cmpeq_epi8(_mm_and_si128(_mm_srli_si128(v, 1), bit5), bit5);
  const __m128i bad =
      _mm_or_si128(_mm_andnot_si128(t1_high, _mm_cmpeq_epi8(v, _mm_set1_epi8(x(0xE0)))),
                   _mm_and_si128(t1_high, _mm_cmpeq_epi8(v, _mm_set1_epi8(x(0xED)))));
  return _mm_movemask_epi8(shape) == 0xFFFF && (_mm_movemask_epi8(bad) & 0x7FFF) == 0;
}
#endif

inline char16_t ThreeByteChar(const uint8_t* s) {
  return static_cast<char16_t>(((s[0] & 0x0F) << 12) | ((s[1] & 0x3F) << 6) | (s[2] & 0x3F));
}

// Decodes `src[0, n)` into `dst` and returns the number of units written (never more than n).
// REQUIRES: `dst` holds n units.
size_t DecodeSlice(const char* src, size_t n, char16_t* dst, bool& lossy) {
  const auto* s = reinterpret_cast<const uint8_t*>(src);
  // Every step consumes at least as many bytes as it writes units, so o <= i throughout and
  // WidenAscii's scratch writes stay inside dst[0, n).
  size_t i = 0;
  size_t o = 0;
  while (i < n) {
    uint32_t lead = s[i];
    if (lead < 0x80) {
      size_t run = WidenAscii(src + i, n - i, dst + o);
      i += run;
      o += run;
      continue;
    }
    if (lead >= 0xE0 && lead < 0xF0) {
#ifdef __SSE2__
      if (n - i >= 16 && FiveThreeByteChars(s + i)) {
        do {
          for (int k = 0; k < 5; ++k) dst[o + k] = ThreeByteChar(s + i + 3 * k);
          i += 15;
          o += 5;
        } while (n - i >= 16 && FiveThreeByteChars(s + i));
        continue;
      }
#endif
      if (n - i >= 3 && U8_IS_VALID_LEAD3_AND_T1(lead, s[i + 1]) && U8_IS_TRAIL(s[i + 2])) {
        dst[o++] = ThreeByteChar(s + i);
        i += 3;
        continue;
      }
    } else if (lead >= 0xC2 && lead < 0xE0 && n - i >= 2 && U8_IS_TRAIL(s[i + 1])) {
      dst[o++] = static_cast<char16_t>(((lead & 0x1F) << 6) | (s[i + 1] & 0x3F));
      i += 2;
      continue;
    }
    UChar32 c;
    U8_NEXT(s, i, n, c);
    if (c < 0) {
      dst[o++] = 0xFFFD;
      lossy = true;
    } else if (c <= 0xFFFF) {
      dst[o++] = static_cast<char16_t>(c);
    } else {
      dst[o++] = static_cast<char16_t>(U16_LEAD(c));
      dst[o++] = static_cast<char16_t>(U16_TRAIL(c));
    }
  }
  return o;
}

}  // namespace

void DecodeUtf8(std::string_view bytes, std::u16string& text, bool& lossy) {
  // Slices keep the buffer's growth close to the text's length: growing it to the byte count
  // in one step would zero-fill up to three times the text (CJK) on every call.
  constexpr size_t kSlice = 64 * 1024;
  lossy = false;
  size_t i = 0;
  size_t o = 0;
  while (i < bytes.size()) {
    size_t end = bytes.size();
    if (end - i > kSlice) {
      // Cut before a byte that starts a sequence; none of ICU's ill-formed subparts reaches
      // over such a byte, and four trail bytes in a row cannot belong to one character.
      end = i + kSlice;
      for (int back = 0; back < 3 && U8_IS_TRAIL(bytes[end]); ++back) --end;
      if (U8_IS_TRAIL(bytes[end])) end += 3;
    }
    if (text.size() < o + (end - i)) text.resize(o + (end - i));
    o += DecodeSlice(bytes.data() + i, end - i, text.data() + o, lossy);
    i = end;
  }
  text.resize(o);
}

}  // namespace quonder
