// quonder-cli find --ini reads a settings file by the window's rules: the values on which the
// two once disagreed find what the window finds, and a settings path that is no plain file is
// refused at once instead of hanging the run.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/run_program.h"
#include "support/scratch_folder.h"

namespace quonder {
namespace {

TEST(SettingsCliTest, ASettingsFileMeansWhatItMeansToTheWindow) {
  testing::ScratchFolder scratch;
  // "a.c" as a pattern would match a.txt; as plain text (UseRegExp=1abc is no number, so 0)
  // only the literal in sub/b.txt, which is found only when SubFolder=1.7 descends (cut down
  // to 1) and MaxSize=0x10 is no number (so 10240 bytes, not 16).
  scratch.Write("tree/a.txt", "abc" + std::string(100, ' '));
  scratch.Write("tree/sub/b.txt", std::string(100, ' ') + "a.c");
  scratch.Write("Quonder.ini", "[FindSetting]\nSourceFolder=" + scratch.Path("tree") +
                                   "\nUseRegExp=1abc\nSubFolder=1.7\nMaxSize=0x10\n"
                                   "[FindHistory]\n0=\"a.c\"\n");
  const testing::ProgramOutcome o =
      testing::RunProgram({QUONDER_CLI, "find", "--ini", scratch.Path("Quonder.ini")});
  EXPECT_EQ(o.exit_code, 0) << o.err;
  EXPECT_EQ(o.out, "1\tsub/b.txt\t1\t101\ta.c\t101\n");
}

TEST(SettingsCliTest, ASettingsPathThatIsNoPlainFileIsRefused) {
  testing::ScratchFolder scratch;
  const std::string fifo = scratch.Path("fifo.ini");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& path : {fifo, std::string("/dev/zero")}) {
    const testing::ProgramOutcome o =
        testing::RunProgram({QUONDER_CLI, "find", "--ini", path, "x", scratch.path()});
    EXPECT_NE(o.exit_code, 0) << path;
    EXPECT_NE(o.err.find("not a regular file"), std::string::npos) << o.err;
  }
}

}  // namespace
}  // namespace quonder
