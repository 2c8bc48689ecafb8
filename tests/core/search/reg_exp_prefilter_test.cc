// Matching a pattern around its required literal must give exactly the matches of the engine
// run over the whole text. Compared over many patterns (a table of the awkward ones, and random
// ones from a small grammar) and many texts (random and crafted: CR, LF and CR LF, multi-byte
// and invalid characters), in UTF-16 and in UTF-8, and through whole find runs.
#include "core/search/fast/reg_exp_prefilter.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/search/find_test_support.h"
#include "core/search/reg_exp_samples.h"
#include "core/text/utf_convert.h"

namespace quonder {
namespace {

// Which literal the reading finds: "text", " caseless", " near N" when matches may cross lines
// (N: their longest), or "none".
TEST(RegExpPrefilterTest, ReadsTheLiteralEveryMatchContains) {
  const struct {
    const char16_t* pattern;
    bool ignore_case;
    const char* literal;
  } cases[] = {
      {u"\\w+_t\\b", false, "_t"},
      {u"[A-Z][a-z]+Exception", false, "Exception"},
      {u"\\w+@\\w+\\.(com|org)", false, "@"},  // rarer than "."
      {u"(?i)deprecat\\w+", false, "deprecat caseless"},
      {u"(?i)kelvin", false, "elvin caseless"},  // KELVIN SIGN matches k
      {u"(ab|cb)d", false, "bd"},
      {u"a{2}b", false, "aab"},
      {u"x(?=abc)y", false, "xy"},
      {u"\\Qa.b\\E+c", false, "a.b"},
      {u"struct \\w+ {", false, "struct "},
      {u"[^\\r\\n]+foo", false, "foo"},
      {u"a\\r\\nb", true, "a\r\nb caseless near 4"},
      {u"(?s).{0,3}foo", false, "foo near 6"},
      {u"^#\\s*define\\s+(\\w+)", false, "none"},  // \s* may take any number of lines
      {u"[^\\n]+foo", false, "none"},
      {u"foo|bar", false, "none"},
      {u"(a)\\1_t", false, "none"},   // backreference
      {u"(?x)f o o", false, "none"},  // extended mode
      {u"x{,3}foo", false, "none"},   // a quantifier in newer PCRE2 only
  };
  const std::u16string deep = std::u16string(100000, u'(') + u"a" + std::u16string(100000, u')');
  EXPECT_FALSE(FindRequiredLiteral(deep, false));  // refused, without running out of stack
  for (const auto& c : cases) {
    std::optional<RequiredLiteral> literal = FindRequiredLiteral(c.pattern, c.ignore_case);
    std::string got = "none";
    if (literal) {
      got = ToUtf8(literal->text) + (literal->caseless ? " caseless" : "") +
            (literal->within_line ? "" : " near " + std::to_string(literal->max_chars));
    }
    EXPECT_EQ(got, c.literal) << ToUtf8(c.pattern);
  }
}

template <typename Text, typename Engine>
Matches Whole(Text text, Engine& engine) {
  Matches matches;
  engine.ForEachMatch(text, [&](size_t begin, size_t end) {
    matches.emplace_back(begin, end);
    return true;
  });
  EXPECT_TRUE(engine.last_error().ok());
  return matches;
}

template <typename Text, typename Engine>
Matches Prefiltered(const RegExpPrefilter& prefilter, Text text, Engine& engine) {
  Matches matches;
  prefilter.ForEachMatch(text, engine, [&](size_t begin, size_t end) {
    matches.emplace_back(begin, end);
    return true;
  });
  EXPECT_TRUE(engine.last_error().ok());
  return matches;
}

TEST(RegExpPrefilterTest, FindsExactlyTheMatchesOfTheWholeText) {
  std::mt19937 rng(20261206);
  std::vector<std::u16string> patterns = kSamplePatterns;
  while (patterns.size() < 4000) patterns.push_back(RandomPattern(rng));
  std::vector<std::u16string> texts = {
      u"",
      u"_t",
      u"a_t\r\nb_t\rc_t\n_t",
      u"x_t_t_t_t",
      u"_t\r\n\r\n_t\n\r_t",
      u"_ta\n_Tx",
      u"deprecated DEPRECATED_t \u212A_t \u017F_t",
      u"a>_t x>_t",
      std::u16string(300, u'a') + u"_t" + std::u16string(300, u'b') + u"\n_t"};
  // CR LF pairs at every distance from the literal before and after them, for the edges of
  // the windows.
  for (int pad = 0; pad < 14; ++pad) {
    const std::u16string gap(pad, u'a');
    texts.push_back(u"_t" + gap + u"\r\n_t\r\n\r\n_t\r_t\n" + gap + u"\r\n_t _t\r\n");
  }
  while (texts.size() < 150) texts.push_back(RandomText(rng, texts.size() % 3 == 0));

  int prefiltered = 0, matches = 0, within_line = 0, across_lines = 0;
  for (const std::u16string& pattern : patterns) {
    for (bool ignore_case : {false, true}) {
      std::optional<RequiredLiteral> literal = FindRequiredLiteral(pattern, ignore_case);
      if (!literal) continue;
      const RegExp::Options options{
          .ignore_case = ignore_case, .multiline = true, .bounded_starts = true};
      std::unique_ptr<RegExp> utf16;
      if (!RegExp::Compile(pattern, options, utf16).ok()) continue;
      std::unique_ptr<Utf8RegExp> utf8 = Utf8RegExp::Compile(pattern, options);
      ASSERT_NE(utf8, nullptr);
      const RegExpPrefilter prefilter(*literal);
      ++prefiltered;
      (literal->within_line ? within_line : across_lines)++;
      const std::string where = ToUtf8(pattern) + (ignore_case ? " ignoring case" : "");
      for (const std::u16string& text : texts) {
        const Matches expected = Whole(std::u16string_view(text), *utf16);
        matches += static_cast<int>(expected.size());
        ASSERT_EQ(Prefiltered(prefilter, std::u16string_view(text), *utf16), expected)
            << where << " in UTF-16 \"" << ToUtf8(text) << "\"";
        std::string bytes;
        if (!EncodeUtf8Strictly(text, bytes)) continue;
        ASSERT_EQ(Prefiltered(prefilter, std::string_view(bytes), *utf8),
                  Whole(std::string_view(bytes), *utf8))
            << where << " in UTF-8 \"" << bytes << "\"";
      }
    }
  }
  // The comparison covered both kinds of literal and real matches.
  EXPECT_GT(within_line, 300);
  EXPECT_GT(across_lines, 30);
  EXPECT_GT(matches, 20000);
  EXPECT_GT(prefiltered, 500);
}

// Whole find runs, byte shortcuts (and with them the prefilter) on and off, over files of
// every line feed kind, multi-byte and invalid UTF-8, and a file too long for one window.
TEST(RegExpPrefilterTest, FindRunsGiveTheRowsOfTheWholeText) {
  find_test::ScratchFolder folder;
  folder.Write("crlf.txt", "size_t a;\r\nuint8_t b_t;\r\n\r\nx_t\r\n");
  folder.Write("cr.txt", "size_t\rFooException\rbar_x a@b.com\r");
  folder.Write("utf8.txt", "\xC3\xA9_t \xF0\x9F\x98\x80_t\n\xE2\x84\xAA_t NullException\n");
  folder.Write("invalid.txt", "\xFF_t \xC3_t\n\xED\xA0\x80_t x@y.org\r\n");
  std::string long_line;
  for (int i = 0; i < 2000; ++i) long_line += i % 7 ? "word " : "ab_t ";
  folder.Write("long.txt", long_line + "\n" + long_line);
  int rows = 0;
  for (const char16_t* pattern : {u"\\w+_t\\b", u"[A-Z][a-z]+Exception", u"\\w+@\\w+\\.(com|org)",
                                  u".?_t\\s", u"(?i)\\w_T", u"_t\\r?\\n\\w"}) {
    FindConditions conditions = find_test::ConditionsFor(folder.path(), pattern, "r");
    for (const char16_t* line_feed : {u"\r\n", u"\n", u"\r"}) {
      conditions.line_feed_code = line_feed;
      const std::string whole = find_test::RunTranscript(conditions, false);
      EXPECT_EQ(find_test::RunTranscript(conditions, true), whole) << ToUtf8(pattern);
      rows += static_cast<int>(std::count(whole.begin(), whole.end(), '\n'));
    }
  }
  EXPECT_GT(rows, 2000);
}

}  // namespace
}  // namespace quonder
