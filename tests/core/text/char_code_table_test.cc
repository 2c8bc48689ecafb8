// The shipped code set table against the text codec: every charset it offers must open, carry
// text of its script there and back, report the right ASCII facts, and decode any bytes
// exactly as ICU's own converter does.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "core/text/char_code.h"
#include "core/text/charset_names.h"
#include "core/text/text_stream.h"
#include "support/icu_reference.h"

namespace quonder {
namespace {

std::vector<CharCodeEntry> ShippedTable() {
  std::vector<CharCodeEntry> sets;
  EXPECT_TRUE(LoadCharCodeSet(QUONDER_DATA_DIR, sets));
  return sets;
}

// Text of each charset's script (ASCII is added to every one).
const std::map<std::string, std::u16string>& Samples() {
  static const auto* samples = new std::map<std::string, std::u16string>{
      {"us-ascii", u""},
      {"iso-8859-1", u"café Ñandú ß ¿¡ ©"},
      {"iso-8859-15", u"€ œ Š ž Ÿ café"},
      {"windows-1252", u"€ “quotes” — œ ™ café"},
      {"macintosh", u"é ü ∑ π ™"},
      {"ibm437", u"é ü ░▒▓ ╔═╗ ½"},
      {"ibm850", u"é ø Æ ß ©"},
      {"iso-8859-2", u"Łódź žluťoučký"},
      {"windows-1250", u"Łódź žluťoučký „ť“"},
      {"ibm852", u"Łódź č ž"},
      {"iso-8859-3", u"ĉ ĝ ĥ ĵ ŝ ŭ ħ"},
      {"iso-8859-4", u"ā ē ī ū ķ ļ ņ"},
      {"iso-8859-13", u"ą č ę ė į š ų ū ž"},
      {"windows-1257", u"ą č ę ė į š ų ū ž"},
      {"iso-8859-10", u"ŋ đ ā ũ"},
      {"iso-8859-14", u"ŵ ŷ ḃ ẁ"},
      {"iso-8859-5", u"Привет мир"},
      {"windows-1251", u"Привет мир"},
      {"koi8-r", u"Привет мир"},
      {"koi8-u", u"Привіт ґанок"},
      {"ibm866", u"Привет мир"},
      {"iso-8859-7", u"Καλημέρα κόσμε"},
      {"windows-1253", u"Καλημέρα κόσμε"},
      {"iso-8859-9", u"ğüşıöç İĞ"},
      {"windows-1254", u"ğüşıöç İĞ"},
      {"iso-8859-8", u"שלום עולם"},
      {"windows-1255", u"שלום עולם"},
      {"iso-8859-6", u"مرحبا بالعالم"},
      {"windows-1256", u"مرحبا بالعالم"},
      {"iso-8859-11", u"สวัสดีชาวโลก"},
      {"windows-874", u"สวัสดีชาวโลก"},
      {"windows-1258", u"Tiê\u0301ng Viê\u0323t ơ ư đ"},
      {"shift_jis", u"日本語のテキスト ｱｲｳ ソ表\\ ①"},
      {"euc-jp", u"日本語のテキスト ｱｲｳ"},
      {"iso-2022-jp", u"日本語のテキスト"},
      {"euc-kr", u"한국어 텍스트"},
      {"ks_c_5601-1987", u"한국어 텍스트 똠방각하"},
      {"big5", u"中文繁體字"},
      {"big5-hkscs", u"中文繁體字 㗎"},
      {"gb2312", u"中文简体字"},
      {"gbk", u"中文简体字 繁體"},
      {"gb18030", u"中文简体字 😀 ཀ"},
      {"utf-8", u"Unicode 日本語 😀 é"},
      {"unicode", u"Unicode 日本語 😀 é"},
      {"unicodeFFFE", u"Unicode 日本語 😀 é"},
      {"utf-32", u"Unicode 日本語 😀 é"},
      {"utf-32BE", u"Unicode 日本語 😀 é"},
  };
  return *samples;
}

TEST(CharCodeTableTest, ShippedTableHasTheDefaultAtIndex42) {
  std::vector<CharCodeEntry> sets = ShippedTable();
  ASSERT_GE(sets.size(), 43u);
  EXPECT_EQ(sets[42].Name, "utf-8");
  EXPECT_EQ(DefaultCharset(sets), "utf-8");
  std::set<std::string> names;
  for (const CharCodeEntry& entry : sets) {
    EXPECT_FALSE(entry.Name.empty()) << "a malformed value in the shipped table";
    EXPECT_FALSE(entry.Description.empty()) << entry.Name;
    EXPECT_GT(entry.CodePage, 0) << entry.Name;
    EXPECT_TRUE(names.insert(entry.Name).second) << entry.Name << " is listed twice";
  }
  // Every charset that has a sample is offered.
  for (const auto& [name, sample] : Samples()) EXPECT_TRUE(names.count(name)) << name;
}

TEST(CharCodeTableTest, EveryCharsetCarriesItsScriptThereAndBack) {
  for (const CharCodeEntry& entry : ShippedTable()) {
    SCOPED_TRACE(entry.Name);
    std::unique_ptr<TextCodec> codec;
    Status status = TextCodec::Open(entry.Name, codec);
    ASSERT_TRUE(status.ok()) << status.message();
    EXPECT_EQ(codec->Name(), entry.Name);
    auto sample = Samples().find(entry.Name);
    ASSERT_NE(sample, Samples().end()) << "no sample text for this charset";
    std::u16string text = u"Plain ASCII: {[(<a-z A-Z 0-9>)]} ~\\|/$@\r\n\t" + sample->second;

    std::string bytes;
    status = codec->Encode(text, bytes);
    ASSERT_TRUE(status.ok()) << status.message();
    std::u16string decoded;
    bool lossy = true;
    ASSERT_TRUE(codec->Decode(bytes, decoded, lossy).ok());
    EXPECT_EQ(decoded, text);
    EXPECT_FALSE(lossy);
    std::string again;
    ASSERT_TRUE(codec->Encode(decoded, again).ok());
    EXPECT_EQ(again, bytes);
  }
}

struct AsciiFacts {
  bool compatible;
  bool transparent;
};

TEST(CharCodeTableTest, AsciiFactsAreRightForEveryCharset) {
  // Multi-byte charsets whose trail bytes reach below 0x80, and those with shift states or
  // wide units; every other entry is a single-byte set (or utf-8, EUC) and fully transparent.
  const std::map<std::string, AsciiFacts> exceptions = {
      {"shift_jis", {true, false}}, {"ks_c_5601-1987", {true, false}},
      {"big5", {true, false}},      {"big5-hkscs", {true, false}},
      {"gb2312", {true, false}},    {"gbk", {true, false}},
      {"gb18030", {true, false}},   {"iso-2022-jp", {false, false}},
      {"unicode", {false, false}},  {"unicodeFFFE", {false, false}},
      {"utf-32", {false, false}},   {"utf-32BE", {false, false}},
  };
  for (const CharCodeEntry& entry : ShippedTable()) {
    std::unique_ptr<TextCodec> codec;
    ASSERT_TRUE(TextCodec::Open(entry.Name, codec).ok()) << entry.Name;
    auto exception = exceptions.find(entry.Name);
    AsciiFacts expected =
        exception == exceptions.end() ? AsciiFacts{true, true} : exception->second;
    EXPECT_EQ(codec->AsciiCompatible(), expected.compatible) << entry.Name;
    EXPECT_EQ(codec->AsciiTransparent(), expected.transparent) << entry.Name;
  }
}

// Bytes that exercise every path of the codec: long ASCII runs (taken around the
// converter), short ones, valid characters of the script, and arbitrary bytes.
std::string RandomBytes(std::mt19937& rng, const std::string& valid) {
  auto below = [&](int limit) { return std::uniform_int_distribution<int>(0, limit - 1)(rng); };
  std::string bytes;
  int pieces = 1 + below(12);
  for (int p = 0; p < pieces; ++p) {
    switch (below(5)) {
      case 0:
        bytes.append(static_cast<size_t>(16 + below(60)), static_cast<char>('A' + below(26)));
        break;
      case 1:
        for (int i = below(4); i >= 0; --i) bytes.push_back(static_cast<char>(0x20 + below(0x60)));
        break;
      case 2:
        if (!valid.empty()) {
          size_t start = static_cast<size_t>(below(static_cast<int>(valid.size())));
          bytes.append(valid, start, static_cast<size_t>(1 + below(12)));
        }
        break;
      case 3:
        for (int i = below(6); i >= 0; --i) bytes.push_back(static_cast<char>(0x80 + below(0x80)));
        break;
      default:
        for (int i = below(6); i >= 0; --i) bytes.push_back(static_cast<char>(below(0x100)));
        break;
    }
  }
  return bytes;
}

TEST(CharCodeTableTest, EveryCharsetDecodesAnyBytesAsIcuDoes) {
  std::mt19937 rng(42);
  for (const CharCodeEntry& entry : ShippedTable()) {
    SCOPED_TRACE(entry.Name);
    std::unique_ptr<TextCodec> codec;
    ASSERT_TRUE(TextCodec::Open(entry.Name, codec).ok());
    std::string valid;
    auto sample = Samples().find(entry.Name);
    if (sample != Samples().end()) codec->Encode(sample->second, valid);
    std::string icu_name;
    ASSERT_TRUE(ResolveCharset(entry.Name, icu_name).ok());
    testing::IcuReference reference(icu_name);
    ASSERT_TRUE(reference.ok()) << icu_name;
    std::u16string text;
    for (int round = 0; round < 400; ++round) {
      std::string bytes = RandomBytes(rng, valid);
      bool lossy = false;
      ASSERT_TRUE(codec->Decode(bytes, text, lossy).ok());
      bool substituted = false;
      ASSERT_EQ(text, reference.Decode(bytes, substituted)) << ::testing::PrintToString(bytes);
      ASSERT_EQ(lossy, substituted) << ::testing::PrintToString(bytes);
    }
  }
}

// In a transparent charset every byte below 0x80 is that character, and no other byte
// sequence yields one: the text's ASCII characters are the input's ASCII bytes, in order.
// (Invalid sequences cut short by an ASCII byte may still change how many U+FFFD appear.)
TEST(CharCodeTableTest, TransparentCharsetsKeepEveryAsciiByte) {
  std::mt19937 rng(7);
  for (const CharCodeEntry& entry : ShippedTable()) {
    std::unique_ptr<TextCodec> codec;
    ASSERT_TRUE(TextCodec::Open(entry.Name, codec).ok());
    if (!codec->AsciiTransparent()) continue;
    SCOPED_TRACE(entry.Name);
    std::string valid;
    codec->Encode(Samples().at(entry.Name), valid);
    std::u16string text;
    for (int round = 0; round < 200; ++round) {
      std::string bytes = RandomBytes(rng, valid);
      bool lossy = false;
      ASSERT_TRUE(codec->Decode(bytes, text, lossy).ok());
      std::u16string ascii_units, ascii_bytes;
      for (char16_t unit : text) {
        if (unit < 0x80) ascii_units.push_back(unit);
      }
      for (char byte : bytes) {
        if (static_cast<unsigned char>(byte) < 0x80)
          ascii_bytes.push_back(static_cast<char16_t>(byte));
      }
      ASSERT_EQ(ascii_units, ascii_bytes) << ::testing::PrintToString(bytes);
    }
  }
}

}  // namespace
}  // namespace quonder
