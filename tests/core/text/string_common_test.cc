#include "core/text/string_common.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quonder {
namespace {

struct EscapePair {
  std::string escaped;
  std::string plain;
};

// Pairs that hold in both directions.
const std::vector<EscapePair> kPairs = {
    {"", ""},
    {"plain text", "plain text"},
    {"\\\\", "\\"},
    {"\\r", "\r"},
    {"\\n", "\n"},
    {"\\t", "\t"},
    {"\\v", "\v"},
    {"C:\\\\temp\\\\new", "C:\\temp\\new"},
    {"a\\r\\nb\\tc", "a\r\nb\tc"},
    {"\\\\n", "\\n"},     // an escaped backslash before n is no LF
    {"\\\\\\n", "\\\n"},  // ... and an escaped backslash then an LF
    {"\xE3\x81\x82\\t\xC3\xA9", "\xE3\x81\x82\t\xC3\xA9"},
    {"\x0C\x01\x1B", "\x0C\x01\x1B"},  // other control characters stand for themselves
};

TEST(StringCommonTest, EscapesAndUnescapesThePairTable) {
  for (const EscapePair& pair : kPairs) {
    EXPECT_EQ(EscapeControlChars(pair.plain), pair.escaped) << pair.escaped;
    EXPECT_EQ(UnescapeControlChars(pair.escaped), pair.plain) << pair.escaped;
  }
}

// Text that is no escape sequence, or only partly one, decodes to itself where it is not one.
TEST(StringCommonTest, UnescapeKeepsWhatIsNoSequence) {
  const std::vector<EscapePair> cases = {
      {"a\\", "a\\"},  // trailing lone backslash
      {"\\", "\\"},
      {"\\x", "\\x"},
      {"\\q\\n", "\\q\n"},               // decoding goes on after an unknown pair
      {"\\R\\N\\T\\V", "\\R\\N\\T\\V"},  // upper case letters start nothing
      {"\\\\r", "\\r"},
      {"\\\\\\", "\\\\"},  // escaped backslash, then a lone one
      {"\\\xE3\x81\x82", "\\\xE3\x81\x82"},
  };
  for (const EscapePair& c : cases) {
    EXPECT_EQ(UnescapeControlChars(c.escaped), c.plain) << c.escaped;
  }
}

TEST(StringCommonTest, Utf16AgreesWithUtf8) {
  EXPECT_EQ(EscapeControlChars(u"\u3042\\\r\n\t\v\u00e9"), u"\u3042\\\\\\r\\n\\t\\v\u00e9");
  EXPECT_EQ(UnescapeControlChars(u"\\q\\n\\\\r\u3042\\"), u"\\q\n\\r\u3042\\");
  // A surrogate pair passes through untouched.
  EXPECT_EQ(EscapeControlChars(u"\U0001F600\t"), u"\U0001F600\\t");
  for (const EscapePair& pair : kPairs) {
    if (pair.plain.find('\xE3') != std::string::npos) continue;  // ASCII rows only
    std::u16string plain(pair.plain.begin(), pair.plain.end());
    std::u16string escaped(pair.escaped.begin(), pair.escaped.end());
    EXPECT_EQ(EscapeControlChars(plain), escaped) << pair.escaped;
    EXPECT_EQ(UnescapeControlChars(escaped), plain) << pair.escaped;
  }
}

// Every string of up to four characters over an alphabet that can form, break and nest
// escape sequences survives encoding then decoding, and its encoding is free of line breaks.
TEST(StringCommonTest, RoundTripsEveryShortString) {
  const std::string alphabet = {'\\', 'r', 'n', 't', 'v', 'x', '\r', '\n', '\t', '\v'};
  std::vector<std::string> texts = {""};
  for (size_t begin = 0, length = 1; length <= 4; ++length) {
    size_t end = texts.size();
    for (size_t i = begin; i < end; ++i) {
      for (char c : alphabet) texts.push_back(texts[i] + c);
    }
    begin = end;
  }
  for (const std::string& text : texts) {
    std::string escaped = EscapeControlChars(text);
    ASSERT_EQ(escaped.find_first_of("\r\n\t\v"), std::string::npos);
    ASSERT_EQ(UnescapeControlChars(escaped), text);
    std::u16string wide(text.begin(), text.end());
    ASSERT_EQ(UnescapeControlChars(EscapeControlChars(wide)), wide);
  }
  EXPECT_EQ(texts.size(), 1u + 10 + 100 + 1000 + 10000);
}

TEST(StringCommonTest, CutAtNull) {
  using namespace std::string_literals;
  EXPECT_EQ(CutAtNull("no nul"s), "no nul");
  EXPECT_EQ(CutAtNull(""s), "");
  EXPECT_EQ(CutAtNull("\0abc"s), "");
  EXPECT_EQ(CutAtNull("ab\0c\0d"s), "ab");
  EXPECT_EQ(CutAtNull(u"\u3042\0x"s), u"\u3042");
  EXPECT_EQ(CutAtNull(u"\0"s), u"");
  EXPECT_EQ(CutAtNull(u"whole"s), u"whole");
}

}  // namespace
}  // namespace quonder
