// The lines a find run's end adds under "Found from N Files.", and the problem lines of the
// command line.
#include "core/search/find_run_summary.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quonder {
namespace {

std::string Lines(const FindRunResult& result, ExtBehavior behavior = ExtBehavior::kInclude) {
  std::string text;
  for (const std::string& line : RunEndNotes(result, behavior)) text += line + "\n";
  return text;
}

TEST(FindRunSummaryTest, OneLinePerKindOfFileLeftOut) {
  struct Case {
    const char* name;
    FindRunResult result;
    ExtBehavior behavior;
    const char* lines;
  };
  const ExtBehavior kInclude = ExtBehavior::kInclude;
  const std::vector<Case> cases = {
      {"nothing left out", {.file_counter = 3, .filtered_files = 2}, kInclude, ""},
      {"size",
       {.file_counter = 3, .oversized_files = 2},
       kInclude,
       "2 file(s) larger than the Maximum File Size were skipped.\n"},
      {"include left nothing",
       {.filtered_files = 4},
       kInclude,
       "No file was searched: no file's extension is in the extension list (Include).\n"},
      {"exclude left nothing",
       {.filtered_files = 4},
       ExtBehavior::kExclude,
       "No file was searched: every file's extension is in the extension list (Exclude).\n"},
      {"empty folder", {}, kInclude, ""},
      {"entries that are no file",
       {.file_counter = 1, .other_entries = 3},
       kInclude,
       "3 entries were not searched: links to folders, devices, pipes, sockets or broken "
       "links.\n"},
      {"stopped before any file", {.filtered_files = 4, .stopped = true}, kInclude, ""},
      {"problems",
       {.file_counter = 1, .given_up_files = 3, .too_complex_files = 1, .unlisted_folders = 2},
       kInclude,
       "2 folder(s) could not be listed.\n2 file(s) could not be read.\n"
       "The regular expression was too complex for 1 file(s); they were not searched to their "
       "end.\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Lines(c.result, c.behavior), c.lines) << c.name;
    EXPECT_EQ(HadProblems(c.result), std::string(c.name) == "problems") << c.name;
  }
}

TEST(FindRunSummaryTest, ProblemLinesNameThePathWhatFailedAndWhy) {
  using Kind = RunProblem::Kind;
  EXPECT_EQ(ProblemText({Kind::kFolderNotListed, "a/b", "Permission denied"}),
            "a/b: folder could not be listed: Permission denied");
  EXPECT_EQ(ProblemText({Kind::kFileNotRead, "x\ny.txt", "Input/output error"}),
            "x\\ny.txt: could not be read: Input/output error");
  EXPECT_EQ(ProblemText({Kind::kPatternTooComplex, "c", "regular expression too complex"}),
            "c: regular expression too complex");
}

}  // namespace
}  // namespace quonder
