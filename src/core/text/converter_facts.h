// What the codec needs to know about an ICU converter before it can take shortcuts around it:
// whether ASCII bytes stand for themselves, whether they can hide inside multi-byte
// sequences, which byte-order mark the charset has, and for single-byte charsets the whole
// byte table. Everything is found by asking the converter itself, so a charset added to the
// table later gets correct facts without a list to maintain.
#pragma once

#include <unicode/ucnv.h>

#include <array>
#include <cstdint>
#include <string>

namespace quonder {

// Raised by the substitution callback whenever it replaced invalid bytes.
struct SubstitutionRecord {
  bool substituted = false;
};

// Makes `cnv` decode every invalid or unmappable byte sequence to U+FFFD and raise
// `record->substituted`. (ICU's own substitute callback writes U+001A for single invalid
// bytes of some IBM tables.) `record` must outlive the converter.
void InstallSubstitution(UConverter* cnv, SubstitutionRecord* record);

struct ConverterFacts {
  // Bytes 0x00-0x7F decode to themselves (after straightening) and there are no shift states.
  bool ascii_compatible = false;
  // ascii_compatible, and no multi-byte sequence holds a byte below 0x80.
  bool ascii_transparent = false;
  // The charset's own byte-order mark; empty when it has none.
  std::string bom;

  // IBM's PC code page tables rotate three control codes (byte 0x1A is U+001C, 0x1C is U+007F,
  // 0x7F is U+001A); every other program on the system keeps them as they are. When set,
  // units below 0x80 that the converter decodes pass through decode_fix, and units below 0x80
  // on their way to the converter through encode_fix.
  bool straighten = false;
  std::string rotated_bytes;  // the bytes concerned, so that text without them skips the fix
  std::array<char16_t, 128> decode_fix{};
  std::array<char16_t, 128> encode_fix{};

  // Single-byte charsets decode through this table (already straightened): the low 16 bits
  // are the unit, and an invalid byte is U+FFFD with kInvalidByte set.
  static constexpr uint32_t kInvalidByte = 0x10000;
  bool single_byte = false;
  std::array<uint32_t, 256> byte_table{};
};

// Works out the facts for `cnv`, which must have the substitution installed with `record`.
// Leaves the converter reset.
void ProbeConverter(UConverter* cnv, SubstitutionRecord& record, ConverterFacts& facts);

}  // namespace quonder
