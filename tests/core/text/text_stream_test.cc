#include "core/text/text_stream.h"

#include <gtest/gtest.h>

#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <tuple>

#include "core/text/utf_convert.h"
#include "support/icu_reference.h"
#include "support/scratch_folder.h"

namespace quonder {
namespace {

std::unique_ptr<TextCodec> OpenCodec(const std::string& charset) {
  std::unique_ptr<TextCodec> codec;
  Status status = TextCodec::Open(charset, codec);
  EXPECT_TRUE(status.ok()) << charset << ": " << status.message();
  return codec;
}

std::u16string Decode(TextCodec& codec, std::string_view bytes, bool* lossy = nullptr) {
  std::u16string text;
  bool was_lossy = false;
  EXPECT_TRUE(codec.Decode(bytes, text, was_lossy).ok());
  if (lossy != nullptr) *lossy = was_lossy;
  return text;
}

class TextFileTest : public ::testing::Test {
 protected:
  testing::ScratchFolder folder_;
};

struct FileCase {
  const char* charset;
  std::string bytes;
  std::u16string text;
  std::string bom;
};

TEST_F(TextFileTest, FilesReadAndWriteBackByteForByte) {
  const FileCase cases[] = {
      {"utf-8", "a\r\n\xE6\x97\xA5\xE6\x9C\xAC\r\n", u"a\r\n日本\r\n", ""},
      {"utf-8", "\xEF\xBB\xBF" + std::string("a\r\n\xE6\x97\xA5"), u"a\r\n日", "\xEF\xBB\xBF"},
      // 0x5C is the trail byte of both characters, and a long ASCII run follows.
      {"shift_jis", "\x83\x5C\x95\x5C\\0123456789012345678901234567890123456789\r\n",
       u"ソ表\\0123456789012345678901234567890123456789\r\n", ""},
      {"euc-jp", "\xC6\xFC\xCB\xDC\xB8\xEC\n\x8E\xB1", u"日本語\nｱ", ""},
      {"unicode", "\xFF\xFE" + std::string("a\0\xE5\x65\r\0\n\0", 8), u"a日\r\n", "\xFF\xFE"},
      {"unicode", std::string("a\0\xE5\x65", 4), u"a日", ""},
      {"unicodeFFFE", std::string("\xFE\xFF\0a\x65\xE5", 6), u"a日", "\xFE\xFF"},
      {"unicodeFFFE", std::string("\0a\x65\xE5", 4), u"a日", ""},
      {"utf-32", std::string("\xFF\xFE\0\0\x00\xF6\x01\0", 8), u"😀",
       std::string("\xFF\xFE\0\0", 4)},
      {"gb18030", "\x84\x31\x95\x33\xD6\xD0", u"中", "\x84\x31\x95\x33"},
      {"iso-2022-jp", "\x1B$B\x46\x7C\x4B\x5C\x1B(Babc", u"日本abc", ""},
  };
  for (const FileCase& c : cases) {
    SCOPED_TRACE(std::string(c.charset) + " " + ::testing::PrintToString(c.bytes));
    auto codec = OpenCodec(c.charset);
    folder_.Write("file.txt", c.bytes);
    std::u16string text;
    TextFileInfo info;
    ASSERT_TRUE(ReadTextFile(folder_.Path("file.txt"), *codec, text, info).ok());
    EXPECT_EQ(text, c.text);
    EXPECT_EQ(info.bom, c.bom);
    EXPECT_FALSE(info.lossy);
    folder_.Write("file.txt", "overwritten");
    ASSERT_TRUE(WriteTextFile(folder_.Path("file.txt"), *codec, text, info).ok());
    EXPECT_EQ(folder_.Read("file.txt"), c.bytes);
  }
}

TEST_F(TextFileTest, FailuresNameThePathAndLeaveTheFileAlone) {
  auto codec = OpenCodec("us-ascii");
  std::u16string text = u"stale";
  TextFileInfo info;
  Status status = ReadTextFile(folder_.Path("missing.txt"), *codec, text, info);
  EXPECT_EQ(status.code(), Status::Code::kNotFound);
  EXPECT_NE(status.message().find(folder_.Path("missing.txt")), std::string::npos)
      << status.message();
  EXPECT_TRUE(text.empty());

  folder_.Write("a.txt", "old");
  status = WriteTextFile(folder_.Path("a.txt"), *codec, u"caf\u00E9", TextFileInfo());
  EXPECT_EQ(status.code(), Status::Code::kUnencodable);
  EXPECT_NE(status.message().find(folder_.Path("a.txt")), std::string::npos) << status.message();
  EXPECT_EQ(folder_.Read("a.txt"), "old");

  status = WriteTextFile(folder_.Path("no/such/folder/a.txt"), *codec, u"x", TextFileInfo());
  EXPECT_EQ(status.code(), Status::Code::kIoError);
}

// Writing back a file that held invalid bytes would turn them into U+FFFD for good.
TEST_F(TextFileTest, LossyFileIsNotWrittenBack) {
  auto codec = OpenCodec("utf-8");
  folder_.Write("a.txt", "ok \xFF bad");
  std::u16string text;
  TextFileInfo info;
  ASSERT_TRUE(ReadTextFile(folder_.Path("a.txt"), *codec, text, info).ok());
  EXPECT_TRUE(info.lossy);
  EXPECT_EQ(text, u"ok \uFFFD bad");
  Status status = WriteTextFile(folder_.Path("a.txt"), *codec, text, info);
  EXPECT_EQ(status.code(), Status::Code::kLossy);
  EXPECT_EQ(folder_.Read("a.txt"), "ok \xFF bad");
}

TEST(TextCodecTest, UnknownCharsetsAreErrorsNamingThem) {
  for (std::string name :
       {"", "no-such-charset", "utf-8,swaplfnl", "utf-8\n", "utf 8", "x=y", "\xE6\x97\xA5"}) {
    std::unique_ptr<TextCodec> codec;
    Status status = TextCodec::Open(name, codec);
    EXPECT_EQ(status.code(), Status::Code::kUnknownCharset) << name;
    EXPECT_NE(status.message().find("\"" + name + "\""), std::string::npos) << status.message();
    EXPECT_EQ(codec, nullptr);
  }
  std::unique_ptr<TextCodec> codec;
  EXPECT_FALSE(TextCodec::Open(std::string("utf-8\0x", 7), codec).ok());
}

TEST(TextCodecTest, NamesPickTheIntendedConverter) {
  struct NameCase {
    const char* charset;
    std::string bytes;
    std::u16string text;
  };
  const NameCase cases[] = {
      {"unicode", std::string("A\0", 2), u"A"},
      {"UNICODE", std::string("A\0", 2), u"A"},
      {"unicodeFFFE", std::string("\0A", 2), u"A"},
      {"utf-16", std::string("A\0", 2), u"A"},
      {"UTF-8", "\xC3\xA9", u"é"},
      {"Shift_JIS", "\x5C\x7E\x81\x5F", u"\\~＼"},  // the Windows table: 0x5C is a backslash
      {"windows-1252", "\x80\x81", u"€\u0081"},     // 0x81 is a C1 control, as on Windows
      {"gb2312", "\x81\x40", u"丂"},                // GBK's extension is read too
      {"latin1", "\xE9", u"é"},                     // ICU's aliases are accepted
      {"ucs-2", std::string("A\0", 2), u"A"},       // ... with the byte order of "unicode"
  };
  for (const NameCase& c : cases) {
    auto codec = OpenCodec(c.charset);
    ASSERT_NE(codec, nullptr);
    bool lossy = true;
    EXPECT_EQ(Decode(*codec, c.bytes, &lossy), c.text) << c.charset;
    EXPECT_FALSE(lossy) << c.charset;
  }
  const std::tuple<const char*, std::string, size_t> boms[] = {{"unicode", "\xFF\xFE\x41", 2},
                                                               {"unicode", "\xFE\xFF\x41", 0},
                                                               {"unicodeFFFE", "\xFE\xFF", 2},
                                                               {"utf-8", "\xEF\xBB", 0},
                                                               {"shift_jis", "\xEF\xBB\xBF", 0}};
  for (const auto& [charset, bytes, length] : boms) {
    EXPECT_EQ(OpenCodec(charset)->BomLength(bytes), length) << charset;
  }
}

// IBM's PC tables in ICU rotate SUB, FS and DEL; files must keep them as they are.
TEST(TextCodecTest, ControlCodesStayThemselvesInPcCodePages) {
  const std::string controls =
      "a\x1A"
      "b\x1C"
      "c\x7F"
      "0123456789abcdef0123456789\x1A\x7F";
  for (const char* charset : {"ibm437", "ibm850", "ibm866", "shift_jis"}) {
    auto codec = OpenCodec(charset);
    std::u16string text = Decode(*codec, controls);
    EXPECT_EQ(text, std::u16string(controls.begin(), controls.end())) << charset;
    std::string bytes;
    ASSERT_TRUE(codec->Encode(text, bytes).ok());
    EXPECT_EQ(bytes, controls) << charset;
  }
}

struct InvalidCase {
  const char* charset;
  std::string bytes;
  std::u16string text;
};

TEST(TextCodecTest, InvalidBytesBecomeReplacementCharactersAndNothingElse) {
  const std::string run(40, 'x');
  const std::u16string wide_run(40, u'x');
  const std::string yrun(48, 'y');
  const std::u16string wide_yrun(48, u'y');
  const InvalidCase cases[] = {
      {"utf-8", run + "\xFF" + run, wide_run + u"\uFFFD" + wide_run},
      {"utf-8", run + "\xE6\x97", wide_run + u"\uFFFD"},
      {"utf-8", "\xE6\x97" + run, u"\uFFFD" + wide_run},
      {"utf-8", "\xC0\xAF\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"shift_jis", run + "\x81", wide_run + u"\uFFFD"},
      {"shift_jis", "\x81\x20" + run, u"\uFFFD " + wide_run},
      {"shift_jis", "\xA0" + run, u"\uFFFD" + wide_run},
      {"euc-jp", "\xA4" + run, u"\uFFFD" + wide_run},
      {"euc-jp", run + "\x8F\xA2", wide_run + u"\uFFFD"},
      // The converter gives back the digit that could not finish a four-byte form.
      {"gb18030", "\x81\x30" + run, u"\uFFFD0" + wide_run},
      {"windows-1252", run + "\x81\x8D" + run, wide_run + u"\u0081\u008D" + wide_run},
      {"iso-8859-6", run + "\xA1", wide_run + u"\uFFFD"},
      {"us-ascii", run + "\x80", wide_run + u"\uFFFD"},
      {"unicode", std::string("a\0b", 3), u"a\uFFFD"},
      {"unicode", std::string{'\0', '\xD8', 'a', '\0'}, u"\uFFFDa"},
      // Multi-byte characters whose bytes reach into a long ASCII run must be completed by the
      // converter before the run is widened directly.
      {"shift_jis", "\x83" + yrun, u"ペ" + wide_yrun.substr(1)},  // 83 79
      {"shift_jis", "\x93\xFA\x83" + yrun, u"日ペ" + wide_yrun.substr(1)},
      {"big5", "\xA4" + yrun, u"\u5DFE" + wide_yrun.substr(1)},
      {"gbk", "\x81" + yrun, u"\u4E82" + wide_yrun.substr(1)},
      {"gb18030", "\x81\x30\x81" + std::string("0") + yrun, u"\u0080" + wide_yrun},
      {"utf-8", yrun + "\xC3\xA9" + yrun, wide_yrun + u"é" + wide_yrun},
      // SCSU: a window beyond the BMP (SDX), window 0 selected, one character quoted from the
      // other window, then a byte of window 0. The output may not end between the quoted
      // character's halves, where the converter would forget that the quote is over.
      {"scsu", "\x0B\xDC\xEA\x10" + std::string(37, 'a') + "\x07\xFF\xFF",
       std::u16string(37, u'a') + u"\U000F757F\u00FF"},
  };
  for (const InvalidCase& c : cases) {
    SCOPED_TRACE(std::string(c.charset) + " " + ::testing::PrintToString(c.bytes));
    auto codec = OpenCodec(c.charset);
    bool lossy = false;
    EXPECT_EQ(Decode(*codec, c.bytes, &lossy), c.text);
    EXPECT_EQ(lossy, c.text.find(u'\uFFFD') != std::u16string::npos);
  }
}

TEST(TextCodecTest, UnencodableTextIsReportedWithItsPosition) {
  struct UnencodableCase {
    const char* charset;
    std::u16string text;
    const char* what;
  };
  const UnencodableCase cases[] = {
      {"us-ascii", u"caf\u00E9", "U+00E9 at position 4 in charset \"us-ascii\""},
      {"shift_jis", u"日本\u20AC", "U+20AC at position 3 in charset \"shift_jis\""},
      {"windows-1252", u"ab\U0001F600", "U+1F600 at position 3 in charset \"windows-1252\""},
      {"utf-8", u"ab\xD800" + std::u16string(u"c"),
       "unpaired surrogate U+D800 at position 3 in charset \"utf-8\""},
      {"utf-8", u"ab\xDC00", "unpaired surrogate U+DC00 at position 3"},
      {"unicode", u"ab\xD800", "unpaired surrogate U+D800 at position 3"},
      {"iso-2022-jp", u"ok\u00E9", "U+00E9 at position 3"},
      // Characters that are invisible by default are refused like any other, not dropped.
      {"us-ascii", u"soft\u00ADhyphen", "U+00AD at position 5 in charset \"us-ascii\""},
      {"shift_jis", u"a\u200Db", "U+200D at position 2"},
      {"windows-1252", u"x\U000E0041", "U+E0041 at position 2"},
      // Private-use characters that a table writes as the bytes of another character.
      {"big5-hkscs", u"a\uE000", "U+E000 at position 2 in charset \"big5-hkscs\""},
      {"shift_jis", u"ab\uF86F", "U+F86F at position 3"},
      {"big5-hkscs", u"a\uE000\u2CE2", "U+E000 at position 2"},  // the first one is named
      {"bocu-1", u"ab\xD800" + std::u16string(u"\xD800"),
       "unpaired surrogate U+D800 at position 3"},
  };
  for (const UnencodableCase& c : cases) {
    auto codec = OpenCodec(c.charset);
    std::string bytes = "stale";
    Status status = codec->Encode(c.text, bytes);
    EXPECT_EQ(status.code(), Status::Code::kUnencodable) << c.charset;
    EXPECT_NE(status.message().find(c.what), std::string::npos) << status.message();
    EXPECT_TRUE(bytes.empty());
    // The codec is usable again after the failure.
    EXPECT_TRUE(codec->Encode(u"ok", bytes).ok());
    EXPECT_EQ(Decode(*codec, bytes), u"ok");
  }
}

TEST(TextCodecTest, DecodeReplacesTheTextAndKeepsTheBuffer) {
  auto codec = OpenCodec("shift_jis");
  std::u16string text;
  bool lossy = false;
  ASSERT_TRUE(codec->Decode(std::string(5000, 'a') + "\xFF", text, lossy).ok());
  EXPECT_TRUE(lossy);
  size_t capacity = text.capacity();
  ASSERT_TRUE(codec->Decode("\x93\xFA", text, lossy).ok());
  EXPECT_EQ(text, u"日");
  EXPECT_FALSE(lossy);
  EXPECT_EQ(text.capacity(), capacity);
  ASSERT_TRUE(codec->Decode("", text, lossy).ok());
  EXPECT_TRUE(text.empty());
}

// Pieces of well-formed and ill-formed UTF-8, with runs long enough for the vector paths.
std::string RandomUtf8(std::mt19937& rng, size_t pieces) {
  static const char* const kPieces[] = {
      "a", "0123456789abcdefghij", "\xC3\xA9", "\xE6\x97\xA5", "\xF0\x9F\x98\x80",
      "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xAE\xE6\x96\x87\xE5\xAD\x97",  // 6 CJK
      "\xE0\xA0\x80", "\xED\x9F\xBF", "\xEE\x80\x80", "\xEF\xBF\xBD", "\xF4\x8F\xBF\xBF",
      // ill-formed: overlong, surrogate, above U+10FFFF, truncated, stray trail, never-bytes
      "\xC0\xAF", "\xC1\xBF", "\xE0\x80\x80", "\xE0\x9F\xBF", "\xED\xA0\x80", "\xED\xBF\xBF",
      "\xF0\x80\x80\x80", "\xF4\x90\x80\x80", "\xF5\x80", "\xFF", "\xFE", "\x80", "\xBF",
      "\xE6\x97", "\xF0\x9F\x98", "\xC3", "\xE6"};
  std::uniform_int_distribution<size_t> pick(0, std::size(kPieces) - 1);
  std::uniform_int_distribution<int> byte(0, 255);
  std::string bytes;
  for (size_t i = 0; i < pieces; ++i) {
    if (byte(rng) < 16) {
      bytes.push_back(static_cast<char>(byte(rng)));
    } else {
      bytes += kPieces[pick(rng)];
    }
  }
  return bytes;
}

// Short random inputs, then large ones, decoded in slices: characters and ill-formed sequences
// that straddle a slice border must come out as if there were none.
TEST(TextCodecTest, Utf8DecodesExactlyAsIcu) {
  auto codec = OpenCodec("utf-8");
  testing::IcuReference reference("UTF-8");
  std::mt19937 rng(2024);
  std::vector<std::string> inputs;
  for (int round = 0; round < 20000; ++round) inputs.push_back(RandomUtf8(rng, 1 + rng() % 24));
  for (const char* straddler : {"\xF0\x9F\x98\x80", "\xE6\x97\xA5", "\xE6\x97",
                                "\x80\x80\x80\x80\x80", "\xF0\x9F\x98\x80\x80", "\xC3\xA9"}) {
    for (size_t shift = 0; shift < 6; ++shift) {
      inputs.push_back(std::string(65536 - shift, 'a') + straddler + RandomUtf8(rng, 30000));
    }
  }
  std::u16string text;
  for (const std::string& bytes : inputs) {
    bool lossy = false, expected_lossy = false;
    ASSERT_TRUE(codec->Decode(bytes, text, lossy).ok());
    ASSERT_EQ(text, reference.Decode(bytes, expected_lossy))
        << ::testing::PrintToString(bytes.substr(0, 100));
    ASSERT_EQ(lossy, expected_lossy) << ::testing::PrintToString(bytes.substr(0, 100));
    ASSERT_EQ(ToUtf16(bytes), text) << ::testing::PrintToString(bytes.substr(0, 100));
  }
}

}  // namespace
}  // namespace quonder
