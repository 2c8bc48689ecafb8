#include "core/text/icu_codec.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>
#include <unicode/utf16.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <unordered_map>

#include "core/text/converter_facts.h"
#include "core/text/fast/ascii_widen.h"
#include "core/text/fast/utf8_decode.h"

namespace quonder {
namespace {

// Leaves every unmappable character as the error ICU reports. ICU's own stop callback clears
// the error for a default-ignorable character (U+00AD, U+200D, U+FEFF, variation selectors...),
// so such a character would vanish from the bytes without a word.
void StopAtEveryUnmappable(const void* /*context*/, UConverterFromUnicodeArgs* /*args*/,
                           const UChar* /*units*/, int32_t /*length*/, UChar32 /*code_point*/,
                           UConverterCallbackReason /*reason*/, UErrorCode* /*err*/) {}

// Whether texts encoded apart by a converter of this type can be joined byte for byte: its
// encoder leaves nothing behind at the end of a text that the bytes of the next text would
// depend on, and its decoder takes the join as it would the text encoded whole. The types not
// named (SCSU, BOCU-1, LMBCS, ISCII, compound text) carry state from character to character.
// ISO-2022 does end each text in its initial state, but its decoder refuses an escape sequence
// right behind another, which a join makes where one piece shifts back to ASCII at its end and
// the next shifts out again at its start. HZ's encoder ends a text still in GB mode (no "~}"),
// so a join opens GB mode inside GB mode ("~{VP~{ND"): ICU reads that, other readers see
// invalid bytes.
bool EncodedPiecesJoin(UConverterType type) {
  switch (type) {
    case UCNV_SBCS:
    case UCNV_DBCS:
    case UCNV_MBCS:
    case UCNV_LATIN_1:
    case UCNV_US_ASCII:
    case UCNV_UTF8:
    case UCNV_CESU8:
    case UCNV_UTF16_BigEndian:
    case UCNV_UTF16_LittleEndian:
    case UCNV_UTF16:
    case UCNV_UTF32_BigEndian:
    case UCNV_UTF32_LittleEndian:
    case UCNV_UTF32:
    case UCNV_EBCDIC_STATEFUL:
    case UCNV_UTF7:
    case UCNV_IMAP_MAILBOX:
      return true;
    default:
      return false;
  }
}

class IcuCodec final : public TextCodec {
 public:
  IcuCodec(std::string name, UConverter* cnv) : name_(std::move(name)), cnv_(cnv) {
    InstallSubstitution(cnv_, &record_);
    UErrorCode err = U_ZERO_ERROR;
    ucnv_setFromUCallBack(cnv_, StopAtEveryUnmappable, nullptr, nullptr, nullptr, &err);
    ProbeConverter(cnv_, record_, facts_);
    min_char_size_ = static_cast<size_t>(ucnv_getMinCharSize(cnv_));
    max_char_size_ = static_cast<size_t>(ucnv_getMaxCharSize(cnv_));
    if (min_char_size_ == 0) min_char_size_ = 1;
    encodes_in_pieces_ = EncodedPiecesJoin(ucnv_getType(cnv_));
    if (ucnv_getType(cnv_) == UCNV_UTF8) {
      path_ = Path::kUtf8;
    } else if (facts_.single_byte) {
      path_ = Path::kSingleByte;
    } else if (facts_.ascii_compatible) {
      path_ = Path::kAsciiRuns;
    } else {
      path_ = Path::kConverter;
    }
  }
  ~IcuCodec() override { ucnv_close(cnv_); }
  IcuCodec(const IcuCodec&) = delete;
  IcuCodec& operator=(const IcuCodec&) = delete;

  const std::string& Name() const override { return name_; }
  bool AsciiCompatible() const override { return facts_.ascii_compatible; }
  bool AsciiTransparent() const override { return facts_.ascii_transparent; }
  bool SingleByte() const override { return path_ == Path::kSingleByte; }
  bool EncodesInPieces() const override { return encodes_in_pieces_; }

  size_t BomLength(std::string_view bytes) const override {
    const std::string& bom = facts_.bom;
    return !bom.empty() && bytes.substr(0, bom.size()) == bom ? bom.size() : 0;
  }

  Status Decode(std::string_view bytes, std::u16string& text, bool& lossy) override;
  Status Encode(std::u16string_view text, std::string& bytes) override;

 private:
  enum class Path { kUtf8, kSingleByte, kAsciiRuns, kConverter };

  bool DecodeSingleByte(std::string_view bytes, std::u16string& text) const;
  Status DecodeAsciiRuns(std::string_view bytes, std::u16string& text);
  // Runs [begin, end) through the converter into text[o...], growing `text` as needed.
  Status Feed(const char* begin, const char* end, bool flush, std::u16string& text, size_t& o);
  Status Unencodable(std::u16string_view text, size_t position) const;
  // Where `text` holds the first private-use character that the converter writes as another
  // character's bytes, or npos. ICU always maps private-use characters by their best fit (a
  // Big5-HKSCS or Shift_JIS table maps some of them onto bytes that read as other characters),
  // whatever the converter's fallback setting.
  size_t FirstBestFit(std::u16string_view text);
  bool WritesBack(UChar32 c);

  std::string name_;
  UConverter* cnv_;
  SubstitutionRecord record_;
  ConverterFacts facts_;
  Path path_ = Path::kConverter;
  size_t min_char_size_ = 1;
  size_t max_char_size_ = 1;
  bool encodes_in_pieces_ = false;
  std::unordered_map<UChar32, bool> writes_back_;  // WritesBack's answers so far
};

Status IcuCodec::Decode(std::string_view bytes, std::u16string& text, bool& lossy) {
  lossy = false;
  record_.substituted = false;
  ucnv_resetToUnicode(cnv_);
  Status status;
  switch (path_) {
    case Path::kUtf8:
      DecodeUtf8(bytes, text, lossy);
      return Status::Ok();
    case Path::kSingleByte:
      lossy = DecodeSingleByte(bytes, text);
      return Status::Ok();
    case Path::kAsciiRuns:
      status = DecodeAsciiRuns(bytes, text);
      break;
    case Path::kConverter: {
      size_t o = 0;
      status = Feed(bytes.data(), bytes.data() + bytes.size(), true, text, o);
      text.resize(o);
      break;
    }
  }
  lossy = record_.substituted;
  if (!status.ok()) text.clear();
  ucnv_resetToUnicode(cnv_);
  return status;
}

bool IcuCodec::DecodeSingleByte(std::string_view bytes, std::u16string& text) const {
  const auto* src = reinterpret_cast<const unsigned char*>(bytes.data());
  const size_t n = bytes.size();
  if (text.size() < n) text.resize(n);
  char16_t* dst = text.data();
  const uint32_t* table = facts_.byte_table.data();
  uint32_t seen = 0;
  auto look_up = [&](size_t at) {
    uint32_t entry = table[src[at]];
    dst[at] = static_cast<char16_t>(entry);
    seen |= entry;
  };
  // Blocks of 16: an all-ASCII block is widened in one step, any other goes through the table
  // whole (a fixed count keeps the loop free of mispredicted exits).
  size_t i = 0;
  for (; i + 16 <= n; i += 16) {
    if (facts_.ascii_compatible && WidenAscii(bytes.data() + i, 16, dst + i) == 16) continue;
    for (size_t k = 0; k < 16; ++k) look_up(i + k);
  }
  for (; i < n; ++i) look_up(i);
  text.resize(n);
  return (seen & ConverterFacts::kInvalidByte) != 0;
}

// The converter sees everything except long ASCII runs that begin where it is between
// characters: in an ASCII-compatible charset such a run can only be ASCII text. Runs that
// begin inside a character (Shift_JIS, Big5 and GBK trail bytes, GB18030 four-byte forms)
// are fed to it byte by byte until it has finished that character.
Status IcuCodec::DecodeAsciiRuns(std::string_view bytes, std::u16string& text) {
  const char* src = bytes.data();
  const size_t n = bytes.size();
  size_t i = 0;
  size_t o = 0;
  while (i < n) {
    // The converter takes everything up to the next long ASCII run.
    size_t j = i + FindAsciiBlock(src + i, n - i);
    while (j > i && j < n && static_cast<unsigned char>(src[j - 1]) < 0x80) --j;
    if (j > i) {
      Status status = Feed(src + i, src + j, j == n, text, o);
      if (!status.ok()) return status;
      i = j;
    }
    UErrorCode err = U_ZERO_ERROR;
    while (i < n && static_cast<unsigned char>(src[i]) < 0x80 &&
           ucnv_toUCountPending(cnv_, &err) > 0) {
      Status status = Feed(src + i, src + i + 1, i + 1 == n, text, o);
      if (!status.ok()) return status;
      ++i;
    }
    // Sizing the buffer to the run alone keeps its growth, and so the zero-filling of
    // std::u16string::resize, close to the text's length.
    size_t run = RunLength(src + i, n - i, true);
    if (text.size() < o + run) text.resize(o + run);
    WidenAscii(src + i, run, text.data() + o);
    i += run;
    o += run;
  }
  text.resize(o);
  return Status::Ok();
}

Status IcuCodec::Feed(const char* begin, const char* end, bool flush, std::u16string& text,
                      size_t& o) {
  const char* source = begin;
  bool straighten = false;
  for (char rotated : facts_.rotated_bytes) {
    straighten =
        straighten || std::memchr(begin, rotated, static_cast<size_t>(end - begin)) != nullptr;
  }
  // Multi-byte text mostly takes two bytes or more per unit; when the guess is short, the
  // converter keeps the rest for the next round. Not SCSU's: where its output stops between
  // the halves of a quoted character beyond the BMP, it reads the next byte as quoted too. One
  // of its bytes gives at most two units.
  const size_t length = static_cast<size_t>(end - begin);
  const bool scsu = ucnv_getType(cnv_) == UCNV_SCSU;
  size_t room = (scsu ? 2 * length : length / std::max<size_t>(min_char_size_, 2)) + 16;
  for (;;) {
    if (text.size() < o + room) text.resize(o + room);
    char16_t* start = text.data() + o;
    UChar* target = start;
    UErrorCode err = U_ZERO_ERROR;
    ucnv_toUnicode(cnv_, &target, text.data() + text.size(), &source, end, nullptr, flush, &err);
    if (straighten) {
      for (char16_t* unit = start; unit < target; ++unit) {
        if (*unit < 0x80) *unit = facts_.decode_fix[*unit];
      }
    }
    o = static_cast<size_t>(target - text.data());
    if (err == U_BUFFER_OVERFLOW_ERROR) {
      room = static_cast<size_t>(end - source) + 64;
      continue;
    }
    if (U_FAILURE(err)) {
      return Status::Error(Status::Code::kIoError,
                           "Cannot decode text in charset \"" + name_ + "\": " + u_errorName(err));
    }
    return Status::Ok();
  }
}

Status IcuCodec::Encode(std::u16string_view text, std::string& bytes) {
  std::u16string straightened;
  std::u16string_view input = text;
  if (facts_.straighten) {
    straightened.assign(text);
    for (char16_t& unit : straightened) {
      if (unit < 0x80) unit = facts_.encode_fix[unit];
    }
    input = straightened;
  }
  ucnv_resetFromUnicode(cnv_);
  const UChar* source = input.data();
  const UChar* source_end = input.data() + input.size();
  size_t used = 0;
  size_t room = input.size() * (max_char_size_ > 1 ? 2 : 1) + 16;
  for (;;) {
    bytes.resize(used + room);
    char* target = bytes.data() + used;
    UErrorCode err = U_ZERO_ERROR;
    ucnv_fromUnicode(cnv_, &target, bytes.data() + bytes.size(), &source, source_end, nullptr, true,
                     &err);
    used = static_cast<size_t>(target - bytes.data());
    if (err == U_BUFFER_OVERFLOW_ERROR) {
      room = (room + static_cast<size_t>(source_end - source)) * 2;
      continue;
    }
    bytes.resize(used);
    if (U_SUCCESS(err)) {
      const size_t best_fit = FirstBestFit(text);
      if (best_fit == std::u16string_view::npos) return Status::Ok();
      bytes.clear();
      return Unencodable(text, best_fit);
    }
    // The stop callback leaves the source behind the characters it could not convert.
    UChar invalid[8];
    int8_t invalid_length = 8;
    UErrorCode ignored = U_ZERO_ERROR;
    ucnv_getInvalidUChars(cnv_, invalid, &invalid_length, &ignored);
    size_t consumed = static_cast<size_t>(source - input.data());
    size_t back = U_SUCCESS(ignored) ? static_cast<size_t>(invalid_length) : 0;
    bytes.clear();
    ucnv_resetFromUnicode(cnv_);
    size_t position = consumed >= back ? consumed - back : 0;
    // Some converters stop one unit behind an unpaired surrogate; and a private-use character
    // before the stop that would be written as another one comes first.
    for (size_t i = 0; i < position; ++i) {
      if (U16_IS_LEAD(text[i]) && i + 1 < text.size() && U16_IS_TRAIL(text[i + 1])) {
        ++i;
      } else if (U16_IS_SURROGATE(text[i])) {
        position = i;
        break;
      }
    }
    const size_t best_fit = FirstBestFit(text.substr(0, position));
    return Unencodable(text, best_fit != std::u16string_view::npos ? best_fit : position);
  }
}

size_t IcuCodec::FirstBestFit(std::u16string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    // Private use: U+E000..U+F8FF, and planes 15 and 16, whose lead surrogates are DB80..DBFF.
    const char16_t unit = text[i];
    if (!(unit >= 0xE000 && unit <= 0xF8FF) && !(unit >= 0xDB80 && unit <= 0xDBFF)) continue;
    size_t next = i;
    UChar32 c;
    U16_NEXT(text.data(), next, text.size(), c);
    if (!U_IS_SURROGATE(c) && !WritesBack(c)) return i;
  }
  return std::u16string_view::npos;
}

bool IcuCodec::WritesBack(UChar32 c) {
  auto known = writes_back_.find(c);
  if (known != writes_back_.end()) return known->second;
  UChar unit[2];
  int32_t length = 0;
  U16_APPEND_UNSAFE(unit, length, c);
  char bytes[32];
  UErrorCode err = U_ZERO_ERROR;
  const int32_t written = ucnv_fromUChars(cnv_, bytes, sizeof bytes, unit, length, &err);
  std::u16string back;
  bool lossy = true;
  const bool same =
      U_SUCCESS(err) &&
      Decode(std::string_view(bytes, static_cast<size_t>(written)), back, lossy).ok() && !lossy &&
      back == std::u16string_view(unit, static_cast<size_t>(length));
  ucnv_resetFromUnicode(cnv_);
  writes_back_.emplace(c, same);
  return same;
}

Status IcuCodec::Unencodable(std::u16string_view text, size_t position) const {
  char what[64];
  if (position >= text.size()) {
    std::snprintf(what, sizeof what, "the end of the text");
  } else {
    UChar32 c;
    size_t at = position;
    U16_NEXT(text.data(), at, text.size(), c);
    if (U_IS_SURROGATE(c)) {
      std::snprintf(what, sizeof what, "an unpaired surrogate U+%04X", static_cast<unsigned>(c));
    } else {
      std::snprintf(what, sizeof what, "U+%04X", static_cast<unsigned>(c));
    }
  }
  return Status::Error(Status::Code::kUnencodable,
                       std::string("Cannot encode ") + what + " at position " +
                           std::to_string(position + 1) + " in charset \"" + name_ + "\"");
}

}  // namespace

Status OpenIcuCodec(const std::string& name, const std::string& icu_name,
                    std::unique_ptr<TextCodec>& codec) {
  codec.reset();
  UErrorCode err = U_ZERO_ERROR;
  UConverter* cnv = ucnv_open(icu_name.c_str(), &err);
  if (U_FAILURE(err)) {
    return Status::Error(Status::Code::kUnknownCharset, "Unknown charset \"" + name + "\"");
  }
  codec = std::make_unique<IcuCodec>(name, cnv);
  return Status::Ok();
}

}  // namespace quonder
