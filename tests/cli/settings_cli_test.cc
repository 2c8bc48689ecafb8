// quonder-cli find --ini reads a settings file by the window's rules: the values on which the
// two once disagreed find what the window finds, and a settings path that is no plain file is
// refused at once instead of hanging the run.
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

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

// A copy of the program with no code set table beside it nor in its data folder (a broken
// install) has no default charset and cannot check a settings file's Coding: it says so
// instead of searching silently in another charset. A charset given by name needs no table.
TEST_F(SettingsCliTest, WithoutItsCodeSetTableTheProgramSaysSo) {
  const std::string program = Path("bin/quonder-cli");
  std::filesystem::create_directories(Path("bin"));
  std::filesystem::copy_file(QUONDER_CLI, program);
  Write("tree/sjis.txt", "\x95\x5c\x8e\xa6\n");  // a Shift_JIS text
  Write("Quonder.ini", "[FindSetting]\nCoding=shift_jis\n");
  for (const auto& args : {std::vector<std::string>{"find", "--ini", Path("Quonder.ini")},
                           std::vector<std::string>{"find"}}) {
    std::vector<std::string> command = {program};
    command.insert(command.end(), args.begin(), args.end());
    command.insert(command.end(), {"\u793a", Tree()});
    const ProgramOutcome o = RunProgram(command, /*plain_user=*/false);
    EXPECT_EQ(o.exit_code, 2) << args.size();
    EXPECT_NE(o.err.find("CharCodeSet.ini"), std::string::npos) << o.err;
    EXPECT_EQ(o.out, "");
  }
  const ProgramOutcome named =
      RunProgram({program, "find", "--coding", "shift_jis", "\u793a", Tree()}, false);
  EXPECT_EQ(named.exit_code, 0) << named.err;
  EXPECT_EQ(named.out, "1\tsjis.txt\t1\t2\t\u793a\t2\n");
}

}  // namespace
}  // namespace quonder::testing
