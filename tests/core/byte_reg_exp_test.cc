#include "core/byte_reg_exp.h"

#include <gtest/gtest.h>
#include <unicode/unistr.h>

#include <random>
#include <string>
#include <vector>

namespace quonder {
namespace {

const std::string kBom = "\xEF\xBB\xBF";

std::string Utf8(const std::u16string& text) {
  std::string out;
  icu::UnicodeString(false, text.data(), static_cast<int32_t>(text.size())).toUTF8String(out);
  return out;
}

bool SixteenBitFinds(RegExp& re, const std::u16string& text) {
  size_t begin, end;
  return re.Find(text, 0, begin, end);
}

// Pieces the generated texts are made of: case pairs beyond ASCII, letters with special case
// folding, astral characters, every line end, NUL and the vertical tab.
const std::u16string kFragments[] = {
    u"abc", u"ABC", u"\u00E9cole", u"\u00C9COLE", u"\u044F", u"\u042F", u"\u01C5", u"\u00DF",
    u"\u1E9E", u"SS", u"\u212A", u"k", u"\u017F", u"s", u"\u03A3", u"\u03C3", u"\u03C2",
    u"\u0130", u"\u0131", u"i", u"\U0001F600", u"\U00010400", u"\U00010428", u"\r\n", u"\r",
    u"\n", u"\t", u"\x0B", u"\f", std::u16string(1, u'\0'), u" ", u"_", u"1", u"\u0661",
    u"\uFEFF", u"\u3042\u3044", u"\uFF21", u"\uFF41", u"x", u".",
};

const std::u16string kPatterns[] = {
    u"abc", u"\u00E9", u"\u00C9", u"\u00C9COLE", u"[\u00E0-\u00FF]+", u"\\w+\u00E9",
    u"\u042F.", u"^\u00E9", u"\u00E9$", u"\\b\u00E9", u"\u00DF", u"SS", u"k", u"\\x{212A}",
    u"\u017F", u"\u03C2", u"\u03A3$", u"[^a-z]", u"\\p{Lu}", u"\\X\\X", u"\\R", u".\\r?$",
    u"\\v", u"\\s\\S", u"(?<=\u00E9)c", u"(?<!\\x{1F600})a", u"\\x{1F600}", u".{3}$",
    u"^.{2}\u00E9", u"[\\x{100}-\\x{10FFFF}]", u"\\N\\N\\N\\N", u"a|\u00E9|\U0001F600",
    u"(\u00E9|\u044F)\\1", u"\\d", u"\\h", u"^\\H+$", u"\U00010428", u"\u0131", u"I",
    u"\uFF41", u"\\x{FEFF}", u"^abc", u"abc$", u"\\babc\\b", u"\\Qa.c\\E", u"\\0", u"$",
    u"^$", u"\\t\\v", u"[[:alpha:]]{4}", u"(?i)\u00E9COLE", u"\\r\\n^", u"\\n\\r",
    u"\\D", u"\\W+", u"\\S", u"\\s\\S", u"\\D\\D\\D", u"\\H\\h", u"\\V$", u"\\B.",
    u"[\\W\\d]{2}", u"[[:^alpha:]]", u"(?<=\\W)\\w", u"\\S+$", u"(?<!\\d)\\D",
};

TEST(ByteRegExpTest, NeverRejectsWhatTheSixteenBitEngineFinds) {
  std::mt19937 random(20240611);
  std::vector<std::u16string> texts = {u""};
  for (const std::u16string& fragment : kFragments) texts.push_back(fragment);
  for (int i = 0; i < 300; ++i) {
    std::u16string text;
    for (int n = 1 + random() % 6; n > 0; --n) text += kFragments[random() % std::size(kFragments)];
    texts.push_back(text);
  }
  int rejected = 0;
  for (const std::u16string& pattern : kPatterns) {
    for (bool ignore_case : {false, true}) {
      const RegExp::Options options{.ignore_case = ignore_case, .multiline = true};
      std::unique_ptr<RegExp> re;
      ASSERT_TRUE(RegExp::Compile(pattern, options, re).ok()) << Utf8(pattern);
      std::unique_ptr<ByteRegExp> filter = ByteRegExp::Compile(pattern, options);
      ASSERT_TRUE(filter->can_reject()) << Utf8(pattern);
      for (const std::u16string& text : texts) {
        const std::string bytes = Utf8(text);
        const bool may_match = filter->MayMatch(bytes);
        if (SixteenBitFinds(*re, text)) {
          EXPECT_TRUE(may_match) << "pattern " << Utf8(pattern) << " text " << bytes
                                 << " ignore case " << ignore_case;
          // A decoder that drops the byte-order mark gives the same text.
          EXPECT_TRUE(filter->MayMatch(kBom + bytes)) << Utf8(pattern) << " " << bytes;
        } else if (!may_match) {
          ++rejected;
        }
      }
    }
  }
  // The filter has to be worth running: it turns most non-matching texts away.
  EXPECT_GT(rejected, 1000);
}

TEST(ByteRegExpTest, RejectsTextsWithoutAMatch) {
  struct Case {
    std::u16string pattern;
    bool ignore_case;
    std::string bytes;
  };
  const Case cases[] = {
      {u"abc", false, "xyz"},
      {u"abc", false, "ABC"},
      {u"ABD", true, "abc"},
      {u"^abc", false, "xabc"},
      {u"^abc", false, kBom + "xabc"},
      {u"\\v", false, "\n\r\f"},
      {u"\u00E9", false, "\xC3\x89"},  // É without ignoring case
      {u"\\w\u00E9", false, "\xC3\xA9\xC3\xA9"},
  };
  for (const Case& c : cases) {
    auto filter = ByteRegExp::Compile(c.pattern, {.ignore_case = c.ignore_case, .multiline = true});
    EXPECT_FALSE(filter->MayMatch(c.bytes)) << Utf8(c.pattern) << " over " << c.bytes;
  }
}

TEST(ByteRegExpTest, AnswersTrueWhenInDoubt) {
  const RegExp::Options options{.multiline = true};
  // Bytes that are not UTF-8 decode to U+FFFD, which "." matches.
  EXPECT_TRUE(ByteRegExp::Compile(u".", options)->MayMatch("\xFF"));
  EXPECT_TRUE(ByteRegExp::Compile(u"\\x{FFFD}", options)->MayMatch("a\xC3"));
  EXPECT_TRUE(ByteRegExp::Compile(u"abc", options)->MayMatch("x\xED\xA0\x80"));  // a surrogate
  // A decoder that keeps the byte-order mark hands U+FEFF to the pattern.
  EXPECT_TRUE(ByteRegExp::Compile(u"^\\x{FEFF}a", options)->MayMatch(kBom + "a"));
  EXPECT_TRUE(ByteRegExp::Compile(u"^a", options)->MayMatch(kBom + "a"));
  // Matching that gives up.
  EXPECT_TRUE(ByteRegExp::Compile(u"(a+)+$", options)->MayMatch(std::string(40, 'a') + "b"));
}

// PCRE2 10.42's 8-bit JIT in invalid-UTF mode found no match here.
TEST(ByteRegExpTest, NegatedAsciiClassesPassNonAsciiLetters) {
  for (const char16_t* pattern : {u"\\D", u"\\W", u"\\S", u"\\s\\S", u"\\W+"}) {
    auto filter = ByteRegExp::Compile(pattern, {.multiline = true});
    EXPECT_TRUE(filter->MayMatch(" \xC3\xA9")) << Utf8(pattern);
    EXPECT_TRUE(filter->MayMatch("\t\xF0\x9F\x98\x80")) << Utf8(pattern);
  }
}

TEST(ByteRegExpTest, PatternsTheEightBitFormCannotTakePassEverything) {
  const RegExp::Options options{.multiline = true};
  auto invalid = ByteRegExp::Compile(u"(", options);
  EXPECT_FALSE(invalid->can_reject());
  EXPECT_TRUE(invalid->MayMatch(""));

  // Three bytes per character in UTF-8 but one unit in UTF-16: too large only for 8 bits.
  std::u16string large;
  for (int i = 0; i < 25000; ++i) large += u"\u3042";
  std::unique_ptr<RegExp> re;
  ASSERT_TRUE(RegExp::Compile(large, options, re).ok());
  auto filter = ByteRegExp::Compile(large, options);
  EXPECT_FALSE(filter->can_reject());
  EXPECT_TRUE(filter->MayMatch("x"));
}

}  // namespace
}  // namespace quonder
