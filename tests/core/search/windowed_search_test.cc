// A file searched in windows gives the rows of the whole file: windows of a few bytes cut
// through CR LF, through characters of two to four bytes, through ill-formed bytes and the
// byte-order mark, next to hits and inside them, and a line longer than a window; plain and
// regular-expression mode, ignoring case and word only, each line feed code.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/search/find_run.h"
#include "core/search/find_test_support.h"
#include "core/search/windowed_search.h"

namespace quonder {
namespace {

using find_test::ConditionsFor;
using find_test::RunTranscript;
using find_test::ScratchFolder;

void BuildFiles(const ScratchFolder& folder) {
  const std::string mixed =
      "ab\r\ncd ab\r\ncaf\xC3\xA9 abc \xE3\x81\x82"
      "ab\xF0\x9F\x98\x80"
      "ab_x (ab) ab-ab\r\n\xE2\x84\xAA"
      "AB kab Ab\n" +
      [] {
        std::string line;
        for (int i = 0; i < 40; ++i) line += "ab ";
        return line;
      }() +
      "\r\nx\xFF"
      "ab\xC3(ab\xE0\x80"
      "ab\r\r\n\nend ab";
  folder.Write("mixed.txt", "\xEF\xBB\xBF" + mixed + mixed);
  folder.Write("valid.txt",
               "\xEF\xBB\xBF\xCE\xB1"
               "ab\r\n\xE2\x84\xAA"
               "b_t ab\rAB\xF0\x9F\x98\x80\n");
  folder.Write("ascii.txt", "ab ab\r\nAb\rcab ab_t\n\nab");
  // Stray continuation bytes, each read as U+FFFD, where a window's view may begin; the file
  // is longer than a window and what a hit needs behind it.
  folder.Write("stray.txt", "\xBF\x96\xFF(\x99(" + std::string(24, '~') + "\x80 \xFF");
}

TEST(WindowedSearchTest, GivesTheRowsOfTheWholeFile) {
  ScratchFolder folder;
  BuildFiles(folder);
  // The find text, and the flags as ConditionsFor takes them. KELVIN SIGN folds onto k,
  // ill-formed bytes read as U+FFFD, "x*" matches empty, and "ab\\s+cd" may span lines: the
  // file is read whole.
  const std::pair<std::u16string, std::string> searches[] = {
      {u"ab", ""},
      {u"ab", "i"},
      {u"ab", "w"},
      {u"ab", "iw"},
      {u"k", "i"},
      {u"caf\u00e9 ", ""},
      {u"\u3042ab\U0001F600", ""},
      {u"\uFFFDab", ""},
      {u"\uFFFD", "w"},
      {u"b\r\ncd", ""},
      {u"a+b", "r"},
      {u"\\bab\\b", "ri"},
      {u"[a-z]+_[xt]", "r"},
      {u"^ab|ab$", "r"},
      {u"x*", "r"},
      {u"\\w+", "r"},
      {u"ab\\s+cd", "r"},
  };
  int rows = 0;
  for (const auto& [find, flags] : searches) {
    for (const std::u16string line_feed : {u"\r\n", u"\n", u"\r"}) {
      FindConditions conditions = ConditionsFor(folder.path(), find, flags);
      conditions.line_feed_code = line_feed;
      const std::string whole = RunTranscript(conditions);
      rows += static_cast<int>(std::count(whole.begin(), whole.end(), '\n'));
      for (size_t window : {1, 2, 3, 4, 5, 7, 13, 64}) {
        FindRunOptions options;
        options.window_bytes = window;
        EXPECT_EQ(RunTranscript(conditions, options), whole)
            << "find " << find.size() << " units, " << flags << ", window " << window
            << ", line feed " << line_feed.size();
      }
    }
  }
  EXPECT_GT(rows, 1000);
}

// A file cut short while it is searched (a log truncated in place) ends where it now ends: the
// rows found until then, no problem, and no window grown without end over the missing bytes.
TEST(WindowedSearchTest, AFileCutShortWhileSearchedEndsThere) {
  ScratchFolder folder;
  std::string text;
  for (int i = 0; i < 50; ++i) text += "a line with ab in it\n";
  for (bool reg_exp : {false, true}) {
    const std::string path = folder.Write("log.txt", text);
    FindConditions conditions = ConditionsFor(folder.path(), u"ab", reg_exp ? "r" : "");
    find_test::RecordingHost host(conditions);
    host.after_row = [&](find_test::RecordingHost& h) {
      if (h.rows.size() == 1) {
        ASSERT_EQ(truncate(path.c_str(), 5), 0);
      }
    };
    FindRunOptions options;
    options.window_bytes = 64;
    FindRunResult result;
    ASSERT_TRUE(RunFind(host, options, result).ok());
    EXPECT_EQ(host.Problems(), "") << "regex " << reg_exp;
    EXPECT_EQ(result.found_files, 1);
    EXPECT_LT(host.rows.size(), 50u);
  }
}

// Positions beyond 2 GiB: a sparse file with a hole of 2 GiB between two hits.
TEST(WindowedSearchTest, SearchesFilesOfTwoGibibytesAndMore) {
  ScratchFolder folder;
  const std::string path = folder.Write("sparse.txt", "needle\n");
  const uintmax_t hole = uintmax_t{1} << 31;
  std::filesystem::resize_file(path, hole);
  {
    FILE* file = fopen(path.c_str(), "ab");
    ASSERT_NE(file, nullptr);
    fputs("\nx needle", file);
    fclose(file);
  }
  const std::string expected =
      "sparse.txt:1:1:needle:1\nsparse.txt:3:3:needle:" + std::to_string(hole + 4) + "\n";
  EXPECT_EQ(RunTranscript(ConditionsFor(folder.path(), u"needle")), expected);
}

}  // namespace
}  // namespace quonder
