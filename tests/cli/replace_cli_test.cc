// quonder-cli replace end to end, on folders made here.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "cli/cli_run.h"
#include "support/deep_folders.h"
#include "support/scoped_env.h"

namespace quonder::testing {
namespace {

class ReplaceCliTest : public CliTest {
 protected:
  ProgramOutcome Replace(std::vector<std::string> args, bool plain_user = false) const {
    args.insert(args.begin(), "replace");
    return Run(args, plain_user);
  }
};

TEST_F(ReplaceCliTest, ReplacesEveryHitAndKeepsBomAndLineEnds) {
  Write("tree/a.txt",
        "\xEF\xBB\xBF"
        "foo bar\r\nfoo\n");
  Write("tree/sub/b.txt", "x foo");
  ProgramOutcome o = Replace({"-s", "--replace", "Zed", "foo", Tree()});
  EXPECT_EQ(o.exit_code, 0);
  EXPECT_EQ(Read("tree/a.txt"),
            "\xEF\xBB\xBF"
            "Zed bar\r\nZed\n");
  EXPECT_EQ(Read("tree/sub/b.txt"), "x Zed");
  EXPECT_EQ(o.out, "a.txt: 2 hit(s) replaced\nsub/b.txt: 1 hit(s) replaced\nReplaced 3 / 3\n");
}

// A backup folder on the command line is taken literally, and a settings file's source folder
// keeps its references, even where the two name the same variable.
TEST_F(ReplaceCliTest, LiteralBackupFolderBesideASettingsFilesReferences) {
  Write("tree/a.txt", "foo");
  Write("Quonder.ini", "[FindSetting]\nSourceFolder=%QUONDER_TEST_TREE%\nExtBehavior=1\n");
  ScopedEnv env("QUONDER_TEST_TREE", Tree());
  const std::string backup = Path("bk%QUONDER_TEST_TREE%");
  ProgramOutcome o =
      Replace({"--ini", Path("Quonder.ini"), "--backup", backup, "--replace", "X", "foo"});
  EXPECT_EQ(o.exit_code, 0) << o.err;
  EXPECT_EQ(Read("tree/a.txt"), "X");
  EXPECT_EQ(Read("bk%QUONDER_TEST_TREE%/a.txt"), "foo");
}

// Each case on a fresh "foo foo" in tree/a.txt: the exit status, the report, the file after.
TEST_F(ReplaceCliTest, ExitStatusReportAndFile) {
  struct Case {
    std::vector<std::string> args;
    int exit_code;
    std::string out;
    std::string file;
  };
  const std::vector<Case> cases = {
      {{"--dry-run", "--replace", "", "foo"},
       0,
       "a.txt: 2 hit(s) would be replaced\nDry run: no file was written.\nReplaced 2 / 2\n",
       "foo foo"},
      {{"-q", "--replace", "X", "foo"}, 0, "", "X X"},
      {{"--replace", "X", "absent"}, 1, "Replaced 0 / 0\n", "foo foo"},
      {{"-e", "--replace", "[$1]", "f(o+)"},
       0,
       "a.txt: 2 hit(s) replaced\nReplaced 2 / 2\n",
       "[oo] [oo]"},
      {{"foo"}, 2, "", "foo foo"},                               // no --replace
      {{"--replace"}, 2, "", "foo foo"},                         // no value
      {{"--count", "--replace", "X", "foo"}, 2, "", "foo foo"},  // a find option only
      {{"--json", "--replace", "X", "foo"}, 2, "", "foo foo"},   // so is JSON output
      // Bytes that are no UTF-8 never reach a file as U+FFFD, nor look for one.
      {{"--replace", "caf\xE9", "foo"}, 2, "", "foo foo"},
      {{"--replace", "X", "fo\xEF"}, 2, "", "foo foo"},
  };
  for (const Case& c : cases) {
    Write("tree/a.txt", "foo foo");
    std::vector<std::string> args = c.args;
    args.push_back(Tree());
    ProgramOutcome o = Replace(args);
    EXPECT_EQ(o.exit_code, c.exit_code) << c.args.front() << o.err;
    EXPECT_EQ(o.out, c.out) << c.args.front();
    EXPECT_EQ(Read("tree/a.txt"), c.file) << c.args.front();
  }
  EXPECT_EQ(Replace({"--replace", "x", "foo"}).exit_code, 2);  // no folder
}

// Anything left untouched or unread is an error (2), named with its reason; a name holding a
// line break stays on one line, escaped as in the find's rows.
TEST_F(ReplaceCliTest, UntouchedAndUnreadFilesAreErrors) {
  Write("tree/bad\nname.txt", "foo \xFF");
  Write("tree/good.txt", "foo");
  ProgramOutcome o = Replace({"--replace", "Zed", "foo", Tree()});
  EXPECT_EQ(o.exit_code, 2);
  EXPECT_EQ(Read("tree/bad\nname.txt"), "foo \xFF");
  EXPECT_EQ(Read("tree/good.txt"), "Zed");
  // Four lines: the name (and the message naming its path) escaped.
  EXPECT_EQ(std::count(o.out.begin(), o.out.end(), '\n'), 4) << o.out;
  EXPECT_EQ(o.out.rfind("good.txt: 1 hit(s) replaced\n"
                        "bad\\nname.txt: left untouched: bytes invalid in the charset",
                        0),
            0u)
      << o.out;
  EXPECT_NE(
      o.out.find("\nReplaced 1 / 2\n1 file(s) left untouched: bytes invalid in the charset.\n"),
      std::string::npos);

  Write("tree/bad\nname.txt", "bar");
  chmod(Write("tree/locked.txt", "foo").c_str(), 0);
  o = Replace({"--replace", "Zed", "Zed", Tree()}, true);
  EXPECT_EQ(o.exit_code, 2);
  EXPECT_EQ(o.out, "good.txt: 1 hit(s) replaced\nReplaced 1 / 1\n");
  EXPECT_NE(o.err.find("1 file(s) could not be read."), std::string::npos) << o.err;
}

TEST_F(ReplaceCliTest, BackupKeepsTheLayoutAndRefusesAFolderInUse) {
  Write("tree/a.txt", "foo 1");
  Write("tree/sub/b.txt", "foo 2");
  ProgramOutcome o = Replace({"-s", "--backup", Path("bk"), "--replace", "X", "foo", Tree()});
  EXPECT_EQ(o.exit_code, 0);
  EXPECT_EQ(Read("bk/a.txt"), "foo 1");
  EXPECT_EQ(Read("bk/sub/b.txt"), "foo 2");
  EXPECT_EQ(Read("tree/sub/b.txt"), "X 2");

  // A second run would mix its copies with the first run's: refused before anything changes.
  o = Replace({"-s", "--backup", Path("bk"), "--replace", "Y", "X", Tree()});
  EXPECT_EQ(o.exit_code, 2);
  EXPECT_EQ(Read("tree/sub/b.txt"), "X 2");
  EXPECT_EQ(Read("bk/sub/b.txt"), "foo 2");
}

TEST_F(ReplaceCliTest, AFailedBackupChangesNothing) {
  Write("tree/a.txt", "foo");
  Write("blocker", "a file where the backup folder's parent should be");
  ProgramOutcome o = Replace({"--backup", Path("blocker/bk"), "--replace", "X", "foo", Tree()});
  EXPECT_EQ(o.exit_code, 2);
  EXPECT_EQ(Read("tree/a.txt"), "foo");
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(o.err,
            "Failed to backup 1 file(s); no file was changed:\na.txt: not backed up: the "
            "backup folder " +
                Path("blocker/bk") + " cannot be made\n");
}

// A folder the find could not list may hold hits that were not replaced: the exit status says
// so. The atomic writer's temporary file of a running process is neither searched nor replaced.
TEST_F(ReplaceCliTest, WhatTheFindLeftOutIsAnErrorAndTemporaryFilesStayUntouched) {
  Write("tree/good.txt", "foo");
  const std::string temp = ".quonder-" + std::to_string(::getpid()) + "-1.tmp";
  Write("tree/" + temp, "foo");
  const DeepFolders deep(Tree(), "deep");
  ProgramOutcome o = Replace({"-s", "--replace", "Zed", "foo", Tree()});
  EXPECT_EQ(o.exit_code, 2);
  EXPECT_EQ(Read("tree/good.txt"), "Zed");
  EXPECT_EQ(Read("tree/" + temp), "foo");
  EXPECT_NE(o.out.find("Replaced 1 / 1\n"), std::string::npos) << o.out;
}

}  // namespace
}  // namespace quonder::testing
