// quonder-cli find --ini reads a settings file by the window's rules: the values on which the
// two once disagreed find what the window finds, and a settings path that is no plain file is
// refused at once instead of hanging the run.
#include <sys/stat.h>

#include "cli/cli_run.h"

namespace quonder::testing {
namespace {

using SettingsCliTest = CliTest;

TEST_F(SettingsCliTest, ASettingsFileMeansWhatItMeansToTheWindow) {
  // "a.c" as a pattern would match a.txt; as plain text (UseRegExp=1abc is no number, so 0)
  // only the literal in sub/b.txt, which is found only when SubFolder=1.7 descends (cut down
  // to 1) and MaxSize=0x10 is no number (so 10240 bytes, not 16).
  Write("tree/a.txt", "abc" + std::string(100, ' '));
  Write("tree/sub/b.txt", std::string(100, ' ') + "a.c");
  Write("Quonder.ini", "[FindSetting]\nSourceFolder=" + Tree() +
                           "\nUseRegExp=1abc\nSubFolder=1.7\nMaxSize=0x10\n"
                           "[FindHistory]\n0=\"a.c\"\n");
  const ProgramOutcome o = Run({"find", "--ini", Path("Quonder.ini")});
  EXPECT_EQ(o.exit_code, 0) << o.err;
  EXPECT_EQ(o.out, "1\tsub/b.txt\t1\t101\ta.c\t101\n");
}

TEST_F(SettingsCliTest, ASettingsPathThatIsNoPlainFileIsRefused) {
  const std::string fifo = Path("fifo.ini");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& path : {fifo, std::string("/dev/zero")}) {
    const ProgramOutcome o = Run({"find", "--ini", path, "x", scratch_.path()});
    EXPECT_NE(o.exit_code, 0) << path;
    EXPECT_NE(o.err.find("not a regular file"), std::string::npos) << o.err;
  }
}

}  // namespace
}  // namespace quonder::testing
