// Matching a pattern in parts (around its required literal, or a stretch of start positions at
// a time) must give exactly the matches of the engine run over the whole text. Compared over many
// patterns (a table of the awkward ones, and random ones from a small grammar) and many texts
// (random and crafted: CR, LF and CR LF, multi-byte and invalid characters), in UTF-16 and in
// UTF-8, and through whole find runs.
#include "core/search/fast/reg_exp_prefilter.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/search/file_search.h"
#include "core/search/find_test_support.h"
#include "core/search/stoppable_matching.h"
#include "core/text/utf_convert.h"

namespace quonder {
namespace {

using Matches = std::vector<std::pair<size_t, size_t>>;

// Patterns that put the literal's reasoning to the test: matches before the literal's line,
// lookarounds on either side, anchors and \b at the window's edges, adjacent and overlapping
// candidates, case, escapes, and patterns whose matches cross lines.
// clang-format off
const std::vector<std::u16string> kPatterns = {
    u"\\w+_t\\b", u"[A-Z][a-z]+Exception", u"\\w+@\\w+\\.(com|org)", u"(foo|bar)_(\\w+)",
    u"\\d{4}-\\d{2}", u"(?i)deprecat\\w+", u"\\b_M_\\w+\\(", u"^\\w*_t", u"_t$", u"\\w*_t(?=\\r?$)",
    u"(?<=a)\\w*_t", u"(?<!\\w)\\w+_t", u"\\B_t", u"_t\\w*", u"a*_ta*", u"(_t)+", u"_t_t|_t",
    u"(?:a|b)_t", u"x?_t", u".*_t", u".*?_t.*", u"[^a]{0,3}_t", u"[^\\r\\n]*_t", u"\\S*_t\\S*",
    u"\\s?_t", u"\\s{0,2}_t\\R?", u"_t\\r\\n\\w", u"(?s)._t.", u"(?s)_t.{0,5}", u"\\n_t",
    u"\\r_t|_t\\n", u"_t[\\s\\S]", u"(?i)_T\\w", u"(?i:a)_t", u"a(?i)_T(?-i)b", u"(?i)k_t",
    u"(?i)\u00e9_t", u"\u00e9+_t", u"\\x{1F600}_t", u"\\x5f\\x74", u"\\Q_t\\E+", u"\\v?_t",
    u"\\t_t", u"_t{2}", u"(?=\\w*_t)\\w", u"\\b\\w+\\b_t", u"$\\n?_t", u"_t\\b|\\b_t",
    u"_T(?i)x|_Ta", u"(?m)^_t", u"[\\p{Cc}]_t", u"[^\\p{L}]_t", u"[[:^alpha:]]_t", u"[[:cntrl:]]_t",
    u"[\\x00-\\x0d]_t", u"\\s_t", u"\\W_t\\d?", u"\\A\\w*_t", u"_t\\z", u"_t\\Z",
};
// clang-format on

// Text fragments: the literal, its near misses, line feeds of every kind, and characters of
// one to four bytes (KELVIN SIGN and LONG S fold onto k and s).
const std::vector<std::u16string> kFragments = {
    u"_t", u"_T",         u"_",     u"t",        u"a",      u"b",      u"x",          u"K",
    u"k",  u"\u212A",     u"s",     u"\u017F",   u"foo",    u"bar",    u"com",        u".org",
    u"@",  u"Exception",  u"Ab",    u"2024",     u"-",      u"12",     u" ",          u"\t",
    u"\r", u"\n",         u"\r\n",  u"\v",       u"\u00e9", u"\u00c9", u"\U0001F600", u"\uFFFD",
    u"(",  u"deprecated", u"_M_x(", u"DEPRECAT",
};

std::u16string RandomText(std::mt19937& rng, bool with_lone_surrogates) {
  std::uniform_int_distribution<size_t> pick(0, kFragments.size() - 1);
  std::uniform_int_distribution<int> length(0, 30);
  std::u16string text;
  for (int i = length(rng); i > 0; --i) {
    text += kFragments[pick(rng)];
    if (with_lone_surrogates && rng() % 17 == 0) text += rng() % 2 ? u'\xD83D' : u'\xDE00';
  }
  return text;
}

// A random pattern of atoms, quantifiers, groups and alternatives.
std::u16string RandomPattern(std::mt19937& rng, int depth = 0) {
  static const std::vector<std::u16string> atoms = {
      u"_t",  u"_t",  u"a",        u"t",      u"x",     u"\\w",       u"\\d",   u"\\s",
      u"\\S", u"\\W", u".",        u"[a-c_]", u"[^a]",  u"[^\\r\\n]", u"\\b",   u"^",
      u"$",   u"\\r", u"\\n",      u"\\R",    u"(?=a)", u"(?<=_)",    u"(?!x)", u"\\x{e9}",
      u"k",   u"\\.", u"[\\s\\S]", u"\\B",    u"(?i)",  u"(?-i)",     u"(?s)",  u"\\z"};
  static const std::vector<std::u16string> quantifiers = {
      u"", u"", u"", u"*", u"+", u"?", u"{2}", u"{0,2}", u"{1,3}", u"+?", u"*+"};
  std::u16string pattern;
  const int length = 1 + static_cast<int>(rng() % 4);
  for (int i = 0; i < length; ++i) {
    if (depth < 2 && rng() % 6 == 0) {
      pattern += u"(" + RandomPattern(rng, depth + 1);
      if (rng() % 2) pattern += u"|" + RandomPattern(rng, depth + 1);
      pattern += u")";
    } else {
      pattern += atoms[rng() % atoms.size()];
    }
    pattern += quantifiers[rng() % quantifiers.size()];
  }
  if (rng() % 8 == 0) pattern += u"|" + RandomPattern(rng, depth + 1);
  return pattern;
}

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
  std::vector<std::u16string> patterns = kPatterns;
  while (patterns.size() < 4000) patterns.push_back(RandomPattern(rng));
  std::vector<std::u16string> texts = {
      u"",
      u"_t",
      u"a_t\r\nb_t\rc_t\n_t",
      u"x_t_t_t_t",
      u"_t\r\n\r\n_t\n\r_t",
      u"_ta\n_Tx",
      u"deprecated DEPRECATED_t \u212A_t \u017F_t",
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

// The matches of the engine over the whole text and in stretches; false when the engine gave
// up either way. A random pattern may backtrack too much, and near the work limit PCRE2's
// giving up depends on where a search begins (and on JIT or not): from 0 a pass may end clean
// where one from 1 hits the limit.
template <typename Text, typename Engine>
bool BothWays(Text text, Engine& engine, size_t pace, Matches& whole, Matches& in_stretches) {
  whole.clear();
  in_stretches.clear();
  engine.ForEachMatch(text, [&](size_t begin, size_t end) {
    whole.emplace_back(begin, end);
    return true;
  });
  if (!engine.last_error().ok()) return false;
  ForEachMatchStoppable(
      text, engine,
      [&](size_t begin, size_t end) {
        in_stretches.emplace_back(begin, end);
        return true;
      },
      [] { return false; }, pace);
  return engine.last_error().ok();
}

TEST(StoppableMatchingTest, FindsExactlyTheMatchesOfTheWholeText) {
  std::mt19937 rng(20261207);
  std::vector<std::u16string> patterns = kPatterns;
  while (patterns.size() < 1500) patterns.push_back(RandomPattern(rng));
  std::vector<std::u16string> texts = {u"", u"a", u"\r\n", u"\U0001F600\U0001F600_t"};
  while (texts.size() < 60) texts.push_back(RandomText(rng, texts.size() % 3 == 0));
  int compared = 0;
  Matches whole, in_stretches;
  for (const std::u16string& pattern : patterns) {
    if (!StartsCanBeSplit(pattern)) continue;
    const RegExp::Options options{.multiline = true, .bounded_starts = true};
    std::unique_ptr<RegExp> utf16;
    if (!RegExp::Compile(pattern, options, utf16).ok()) continue;
    std::unique_ptr<Utf8RegExp> utf8 = Utf8RegExp::Compile(pattern, options);
    ASSERT_NE(utf8, nullptr);
    for (const std::u16string& text : texts) {
      // Stretches of 2, 4, 8 ... or 3, 6, 12 ... start positions: their edges fall on every
      // kind of position, CR LF pairs and characters of several units included.
      const size_t first = 2 + compared % 2;
      ++compared;
      if (BothWays(std::u16string_view(text), *utf16, first, whole, in_stretches)) {
        ASSERT_EQ(in_stretches, whole)
            << ToUtf8(pattern) << " in UTF-16 \"" << ToUtf8(text) << "\"";
      }
      std::string bytes;
      if (!EncodeUtf8Strictly(text, bytes)) continue;
      if (BothWays(std::string_view(bytes), *utf8, first, whole, in_stretches)) {
        ASSERT_EQ(in_stretches, whole) << ToUtf8(pattern) << " in UTF-8 \"" << bytes << "\"";
      }
    }
  }
  EXPECT_GT(compared, 40000);
  EXPECT_FALSE(StartsCanBeSplit(u"\\Gab"));
  EXPECT_FALSE(StartsCanBeSplit(u"a(*SKIP)b|c"));
}

// A pattern that backtracks at length over text it never matches: the stop request is asked
// within the text, and the matches before the stop are those of the whole text.
TEST(StoppableMatchingTest, AStopGetsThroughASlowPatternWithoutMatches) {
  std::unique_ptr<RegExp> slow;
  ASSERT_TRUE(
      RegExp::Compile(u"(\\w+\\s?)+$", {.multiline = true, .bounded_starts = true}, slow).ok());
  std::u16string text = u"ab\n";
  for (int i = 0; i < 200; ++i) text += u"aaaaaaaaaaaaaaaa!\n";
  int asked = 0;
  size_t pace = 0;
  Matches matches;
  const bool ended = ForEachMatchStoppable(
      std::u16string_view(text), *slow,
      [&](size_t begin, size_t end) {
        matches.emplace_back(begin, end);
        return true;
      },
      [&] { return ++asked == 3; }, pace);
  EXPECT_FALSE(ended);
  EXPECT_EQ(asked, 3);
  EXPECT_EQ(matches, (Matches{{0, 2}}));  // "ab" before its line end
  EXPECT_TRUE(slow->last_error().ok());
}

// A find run's file goes a stretch at a time, in UTF-8 bytes and in decoded text alike: the
// stop request reaches a file that the pattern searches long without finding anything.
TEST(StoppableMatchingTest, AStopReachesAFileWithoutMatches) {
  struct NoEvents : FileEvents {
    void OnLoaded() override {}
    void OnHit(int64_t, int64_t, int64_t, std::u16string_view, const PreparedConditions&) override {
    }
  } events;
  find_test::ScratchFolder folder;
  folder.Write("a.txt", std::string(20000, 'a') + "!");
  for (bool byte_shortcuts : {true, false}) {
    FindConditions conditions = find_test::ConditionsFor(folder.path(), u"\\w+$");
    conditions.reg_exp = true;
    find_test::RecordingHost host(conditions);
    host.stop_when = [](int) { return true; };
    FileSearcher searcher(byte_shortcuts);
    FileOutcome outcome;
    ASSERT_TRUE(searcher.Search(folder.Path("a.txt"), host, events, outcome).ok());
    EXPECT_TRUE(outcome.stopped) << byte_shortcuts;
    EXPECT_FALSE(outcome.given_up);
  }
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
    FindConditions conditions = find_test::ConditionsFor(folder.path(), pattern);
    conditions.reg_exp = true;
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
