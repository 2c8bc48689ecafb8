// Feeds the text codec random bytes and random UTF-16 in a charset picked by the input. Checks:
// - decoding gives what ICU's converter alone gives (the codec's shortcuts change nothing),
//   and says lossy exactly when a byte became U+FFFD;
// - encoding either fails naming a character that cannot be written, or gives bytes that
//   decode back to the very text, never a substitute or a best-fit character.
#include <fuzzer/FuzzedDataProvider.h>
#include <unicode/ucnv.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "core/text/charset_names.h"
#include "core/text/converter_facts.h"
#include "core/text/text_stream.h"

namespace quonder {
namespace {

void Check(bool condition, const std::string& charset, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "text_codec (%s): %s\n", charset.c_str(), what);
  std::abort();
}

// The shipped table's names, and a few charsets with shift states or unusual forms.
constexpr const char* kCharsets[] = {
    "us-ascii",    "iso-8859-1",     "iso-8859-15",  "windows-1252", "macintosh",
    "ibm437",      "ibm850",         "iso-8859-2",   "windows-1250", "ibm852",
    "iso-8859-3",  "iso-8859-4",     "iso-8859-13",  "windows-1257", "iso-8859-10",
    "iso-8859-14", "iso-8859-5",     "windows-1251", "koi8-r",       "koi8-u",
    "ibm866",      "iso-8859-7",     "windows-1253", "iso-8859-9",   "windows-1254",
    "iso-8859-8",  "windows-1255",   "iso-8859-6",   "windows-1256", "iso-8859-11",
    "windows-874", "windows-1258",   "shift_jis",    "euc-jp",       "iso-2022-jp",
    "euc-kr",      "ks_c_5601-1987", "big5",         "big5-hkscs",   "gb2312",
    "gbk",         "gb18030",        "utf-8",        "unicode",      "unicodeFFFE",
    "utf-32",      "utf-32BE",       "utf-7",        "hz-gb-2312",   "iso-2022-kr",
    "cesu-8",      "scsu",           "ibm-1047",     "iso-2022-cn",  "bocu-1",
};

struct Charset {
  ~Charset() { ucnv_close(reference); }
  std::unique_ptr<TextCodec> codec;
  UConverter* reference = nullptr;  // ICU alone, substituting as the codec does
  SubstitutionRecord record;
  ConverterFacts facts;
};

Charset* Open(const std::string& name) {
  static std::map<std::string, std::unique_ptr<Charset>> open;
  auto found = open.find(name);
  if (found != open.end()) return found->second.get();
  auto charset = std::make_unique<Charset>();
  std::string icu_name;
  if (!TextCodec::Open(name, charset->codec).ok() || !ResolveCharset(name, icu_name).ok()) {
    Check(false, name, "a listed charset does not open");
  }
  UErrorCode err = U_ZERO_ERROR;
  charset->reference = ucnv_open(icu_name.c_str(), &err);
  Check(U_SUCCESS(err), name, "ICU does not open the resolved name");
  InstallSubstitution(charset->reference, &charset->record);
  ProbeConverter(charset->reference, charset->record, charset->facts);
  DecodesAsUtf8(*charset->codec);
  return (open[name] = std::move(charset)).get();
}

std::u16string ReferenceDecode(Charset& charset, std::string_view bytes, bool& lossy) {
  std::u16string text(bytes.size() * 2 + 16, u'\0');
  UChar* target = text.data();
  const char* source = bytes.data();
  UErrorCode err = U_ZERO_ERROR;
  charset.record.substituted = false;
  ucnv_resetToUnicode(charset.reference);
  ucnv_toUnicode(charset.reference, &target, text.data() + text.size(), &source,
                 bytes.data() + bytes.size(), nullptr, true, &err);
  Check(U_SUCCESS(err), "reference", "the reference decode fails");
  text.resize(static_cast<size_t>(target - text.data()));
  if (charset.facts.straighten) {
    for (char16_t& unit : text) {
      if (unit < 0x80) unit = charset.facts.decode_fix[unit];
    }
  }
  lossy = charset.record.substituted;
  return text;
}

// The 1-based position an unencodable-text message names.
size_t NamedPosition(const std::string& message) {
  size_t at = message.find(" at position ");
  if (at == std::string::npos) return 0;
  return std::strtoull(message.c_str() + at + 13, nullptr, 10);
}

void CheckEncode(Charset& charset, const std::string& name, std::u16string_view text) {
  std::string bytes = "stale";
  Status status = charset.codec->Encode(text, bytes);
  if (status.ok()) {
    std::u16string back;
    bool lossy = true;
    Check(charset.codec->Decode(bytes, back, lossy).ok(), name, "encoded bytes do not decode");
    Check(!lossy, name, "encoded bytes decode with U+FFFD");
    Check(back == text, name, "encoded bytes decode to another text");
    return;
  }
  Check(status.code() == Status::Code::kUnencodable, name, "encoding fails otherwise");
  Check(bytes.empty(), name, "a failed encoding leaves bytes");
  const size_t position = NamedPosition(status.message());
  Check(position >= 1 && position <= text.size(), name, "the message names no position");
  // Everything before the named character can be written.
  std::string prefix;
  Check(charset.codec->Encode(text.substr(0, position - 1), prefix).ok(), name,
        "the text before the named character cannot be encoded either");
}

}  // namespace
}  // namespace quonder

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quonder;
  FuzzedDataProvider input(data, size);
  const std::string name = input.PickValueInArray(kCharsets);
  Charset* charset = Open(name);
  const bool as_text = input.ConsumeBool();
  const std::string bytes = input.ConsumeRemainingBytesAsString();

  if (as_text) {
    // Random UTF-16, unpaired surrogates included.
    std::u16string text(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < text.size(); ++i) {
      text[i] = static_cast<char16_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                      static_cast<uint8_t>(bytes[2 * i + 1]) << 8);
    }
    CheckEncode(*charset, name, text);
    return 0;
  }

  std::u16string text = u"stale";
  bool lossy = false;
  Check(charset->codec->Decode(bytes, text, lossy).ok(), name, "decoding fails");
  bool reference_lossy = false;
  const std::u16string reference = ReferenceDecode(*charset, bytes, reference_lossy);
  Check(text == reference, name, "decoding differs from the converter alone");
  Check(lossy == reference_lossy, name, "lossy differs from the converter alone");
  Check(charset->codec->BomLength(bytes) <= bytes.size(), name, "a mark longer than the bytes");
  CheckEncode(*charset, name, text);
  return 0;
}
