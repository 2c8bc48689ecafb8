#include "core/text/converter_facts.h"

#include <unicode/ucnv_cb.h>
#include <unicode/utf16.h>

#include <strings.h>

#include <string_view>

namespace quonder {
namespace {

void U_CALLCONV SubstituteAndRecord(const void* context, UConverterToUnicodeArgs* args,
                                    const char* /*code_units*/, int32_t /*length*/,
                                    UConverterCallbackReason reason, UErrorCode* err) {
  // Reset, close and clone need nothing from us.
  if (reason > UCNV_IRREGULAR) return;
  static_cast<SubstitutionRecord*>(const_cast<void*>(context))->substituted = true;
  static const UChar kReplacement = 0xFFFD;
  *err = U_ZERO_ERROR;
  ucnv_cbToUWriteUChars(args, &kReplacement, 1, 0, err);
}

// Decodes `bytes` from the initial state to the end, as a file that ends there.
std::u16string DecodeAlone(UConverter* cnv, SubstitutionRecord& record, std::string_view bytes,
                           bool& invalid) {
  std::u16string out(bytes.size() * 4 + 16, u'\0');
  ucnv_resetToUnicode(cnv);
  record.substituted = false;
  UChar* target = out.data();
  const char* source = bytes.data();
  UErrorCode err = U_ZERO_ERROR;
  ucnv_toUnicode(cnv, &target, out.data() + out.size(), &source, bytes.data() + bytes.size(),
                 nullptr, true, &err);
  invalid = record.substituted || U_FAILURE(err);
  out.resize(static_cast<size_t>(target - out.data()));
  ucnv_resetToUnicode(cnv);
  return out;
}

std::u16string Straightened(std::u16string text, const ConverterFacts& facts) {
  if (facts.straighten) {
    for (char16_t& unit : text) {
      if (unit < 0x80) unit = facts.decode_fix[unit];
    }
  }
  return text;
}

std::string BomFor(UConverter* cnv) {
  switch (ucnv_getType(cnv)) {
    case UCNV_UTF8:
    case UCNV_CESU8:
      return "\xEF\xBB\xBF";
    case UCNV_UTF16_BigEndian:
      return "\xFE\xFF";
    case UCNV_UTF16_LittleEndian:
      return "\xFF\xFE";
    case UCNV_UTF32_BigEndian:
      return std::string("\0\0\xFE\xFF", 4);
    case UCNV_UTF32_LittleEndian:
      return std::string("\xFF\xFE\0\0", 4);
    default:
      break;
  }
  // GB18030 covers all of Unicode, so U+FEFF has a four-byte form that editors write as a mark.
  UErrorCode err = U_ZERO_ERROR;
  const char* name = ucnv_getName(cnv, &err);
  if (U_SUCCESS(err) && strncasecmp(name, "gb18030", 7) == 0) return "\x84\x31\x95\x33";
  return {};
}

// ASCII bytes must each decode to one code point below 0x80, and may differ from themselves
// only by a permutation of control codes (which is then straightened). `facts` is changed only
// when the result is true.
bool ProbeAscii(UConverter* cnv, SubstitutionRecord& record, ConverterFacts& facts) {
  std::array<char16_t, 128> decoded{};
  std::array<bool, 128> seen{};
  for (int b = 0; b < 0x80; ++b) {
    char byte = static_cast<char>(b);
    bool invalid = false;
    std::u16string unit = DecodeAlone(cnv, record, std::string_view(&byte, 1), invalid);
    if (invalid || unit.size() != 1 || unit[0] >= 0x80 || seen[unit[0]]) return false;
    bool control = b < 0x20 || b == 0x7F;
    if (unit[0] != b && !control) return false;
    seen[unit[0]] = true;
    decoded[b] = unit[0];
  }
  for (int b = 0; b < 0x80; ++b) {
    if (decoded[b] == b) continue;
    facts.straighten = true;
    facts.rotated_bytes.push_back(static_cast<char>(b));
    facts.decode_fix[decoded[b]] = static_cast<char16_t>(b);
    facts.encode_fix[b] = decoded[b];
  }
  return true;
}

// A multi-byte charset is transparent when no lead byte takes an ASCII byte as its trail:
// decoding lead + ASCII must give what the lead gives alone, followed by that ASCII char.
bool ProbeTransparent(UConverter* cnv, SubstitutionRecord& record, const ConverterFacts& facts) {
  UBool starters[256];
  UErrorCode err = U_ZERO_ERROR;
  ucnv_getStarters(cnv, starters, &err);
  if (U_FAILURE(err)) return false;
  for (int lead = 0x80; lead < 0x100; ++lead) {
    if (!starters[lead]) continue;
    char pair[2] = {static_cast<char>(lead), 0};
    bool invalid = false;
    std::u16string alone =
        Straightened(DecodeAlone(cnv, record, std::string_view(pair, 1), invalid), facts);
    for (int trail = 0; trail < 0x80; ++trail) {
      pair[1] = static_cast<char>(trail);
      std::u16string both =
          Straightened(DecodeAlone(cnv, record, std::string_view(pair, 2), invalid), facts);
      if (both.size() != alone.size() + 1 || both.compare(0, alone.size(), alone) != 0 ||
          both.back() != trail) {
        return false;
      }
    }
  }
  return true;
}

void ProbeByteTable(UConverter* cnv, SubstitutionRecord& record, ConverterFacts& facts) {
  std::string all(256, '\0');
  std::u16string expected;
  for (int b = 0; b < 0x100; ++b) {
    char byte = static_cast<char>(b);
    all[b] = byte;
    bool invalid = false;
    std::u16string unit =
        Straightened(DecodeAlone(cnv, record, std::string_view(&byte, 1), invalid), facts);
    if (invalid) {
      facts.byte_table[b] = 0xFFFD | ConverterFacts::kInvalidByte;
    } else if (unit.size() == 1 && !U16_IS_SURROGATE(unit[0])) {
      facts.byte_table[b] = unit[0];
    } else {
      return;
    }
    expected.push_back(static_cast<char16_t>(facts.byte_table[b]));
  }
  // A table that maps byte pairs to one character (ICU allows it) cannot be read byte by byte.
  bool invalid = false;
  if (Straightened(DecodeAlone(cnv, record, all, invalid), facts) != expected) return;
  facts.single_byte = true;
}

}  // namespace

void InstallSubstitution(UConverter* cnv, SubstitutionRecord* record) {
  UErrorCode err = U_ZERO_ERROR;
  ucnv_setToUCallBack(cnv, SubstituteAndRecord, record, nullptr, nullptr, &err);
}

void ProbeConverter(UConverter* cnv, SubstitutionRecord& record, ConverterFacts& facts) {
  facts = ConverterFacts();
  for (int b = 0; b < 0x80; ++b) {
    facts.decode_fix[b] = static_cast<char16_t>(b);
    facts.encode_fix[b] = static_cast<char16_t>(b);
  }
  facts.bom = BomFor(cnv);
  UConverterType type = ucnv_getType(cnv);
  bool single_byte = type == UCNV_SBCS || type == UCNV_LATIN_1 || type == UCNV_US_ASCII;
  bool multi_byte = type == UCNV_MBCS || type == UCNV_UTF8 || type == UCNV_CESU8;
  // ProbeAscii changes the facts only when it succeeds: otherwise nothing is straightened.
  if ((single_byte || multi_byte) && ProbeAscii(cnv, record, facts)) {
    facts.ascii_compatible = true;
    facts.ascii_transparent = type == UCNV_MBCS ? ProbeTransparent(cnv, record, facts) : true;
  }
  if (single_byte) ProbeByteTable(cnv, record, facts);
  ucnv_resetToUnicode(cnv);
  record.substituted = false;
}

}  // namespace quonder
