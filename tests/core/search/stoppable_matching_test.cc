// Matching a stretch of start positions at a time must give exactly the matches of the
// engine's one pass over the whole text, and let a stop request through between stretches.
#include "core/search/stoppable_matching.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/search/file_search.h"
#include "core/search/find_test_support.h"
#include "core/search/reg_exp_samples.h"
#include "core/text/utf_convert.h"

namespace quonder {
namespace {

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
  std::vector<std::u16string> patterns = kSamplePatterns;
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
  EXPECT_FALSE(StartsCanBeSplit(u"(?:x|^){ ,0 }_t"));
  EXPECT_TRUE(StartsCanBeSplit(u"\\d{0,3}_t{0x}"));
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

// A find run's file lets the stop request through while nothing matches, in UTF-8 bytes and in
// decoded text alike: searched a stretch at a time, or around each occurrence of the pattern's
// literal (byte shortcuts on).
TEST(StoppableMatchingTest, AStopReachesAFileWithoutMatches) {
  struct NoEvents : FileEvents {
    void OnLoaded() override {}
    void OnHit(int64_t, int64_t, int64_t, std::u16string_view, const PreparedConditions&) override {
    }
  } events;
  find_test::ScratchFolder folder;
  std::string lines;
  for (int i = 0; i < 200; ++i) lines += std::string(20, 'a') + "_t!\n";
  folder.Write("a.txt", lines);
  for (const char16_t* pattern : {u"\\w+$", u"\\w+_t$"}) {
    for (bool byte_shortcuts : {true, false}) {
      FindConditions conditions = find_test::ConditionsFor(folder.path(), pattern, "r");
      find_test::RecordingHost host(conditions);
      host.stop_when = [](int) { return true; };
      FileSearcher searcher(byte_shortcuts);
      FileOutcome outcome;
      ASSERT_TRUE(searcher.Search(folder.Path("a.txt"), host, events, outcome).ok());
      EXPECT_TRUE(outcome.stopped) << ToUtf8(pattern) << " " << byte_shortcuts;
      EXPECT_FALSE(outcome.given_up);
    }
  }
}

}  // namespace
}  // namespace quonder
