// quonder-cli find end to end: the built program run on folders made here.
#include <sys/stat.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_run.h"
#include "support/deep_folders.h"
#include "support/scoped_env.h"

namespace quonder::testing {
namespace {

class FindCliTest : public CliTest {
 protected:
  ProgramOutcome Find(std::vector<std::string> args, bool plain_user = false) const {
    args.insert(args.begin(), "find");
    return Run(args, plain_user);
  }
};

TEST_F(FindCliTest, PrintsOneTabSeparatedLinePerRowAndTheSummaryOnStandardError) {
  Write("tree/a.txt", "ab\r\ncd ab\n");
  Write("tree/sub/b.txt", "xab");
  ProgramOutcome o = Find({"ab", Tree()});
  EXPECT_EQ(o.exit_code, 0);
  EXPECT_EQ(o.out, "1\ta.txt\t1\t1\tab\t1\n2\ta.txt\t2\t4\tab\t8\n");
  EXPECT_EQ(o.err, "Found from 1 Files.\n");
  o = Find({"-s", "--line-feed", "crlf", "ab", Tree()});
  EXPECT_EQ(o.out, "1\ta.txt\t1\t1\tab\t1\n2\ta.txt\t2\t4\tab\t8\n3\tsub/b.txt\t1\t2\tab\t2\n");
  EXPECT_EQ(o.err, "Found from 2 Files.\n");
}

TEST_F(FindCliTest, EveryRowStaysOneLine) {
  Write("tree/tab\there.txt", "a\tb\\c\n");
  ProgramOutcome o = Find({"a\tb\\", Tree()});
  EXPECT_EQ(o.out, "1\ttab\\there.txt\t1\t1\ta\\tb\\\\\t1\n");
  Write("tree/tab\there.txt", "x\r\ny");
  o = Find({"-e", "x\\r\\ny", Tree()});
  EXPECT_EQ(o.out, "1\ttab\\there.txt\t1\t1\tx\\r\\ny\t1\n");
}

TEST_F(FindCliTest, OptionsShapeTheRun) {
  Write("tree/a.txt", "Foo foo_bar foobar (foo)");
  Write("tree/b.md", "foo");
  Write("tree/c", "foo");
  Write("tree/big.txt", std::string(100, 'x') + "foo");
  Write("tree/sub/d.txt", "foo");
  struct Case {
    std::vector<std::string> args;
    std::string paths_and_pointers;
  };
  const std::vector<Case> cases = {
      {{"foo"}, "a.txt:5 a.txt:13 a.txt:21 b.md:1 big.txt:101 c:1 "},
      {{"-i", "foo"}, "a.txt:1 a.txt:5 a.txt:13 a.txt:21 b.md:1 big.txt:101 c:1 "},
      {{"-w", "foo"}, "a.txt:5 a.txt:21 b.md:1 c:1 "},
      {{"-w", "--separator", " ()", "foo"}, "a.txt:21 b.md:1 c:1 "},
      {{"--ext", "TXT", "foo"}, "a.txt:5 a.txt:13 a.txt:21 big.txt:101 "},
      {{"--ext", "txt", "--exclude", "foo"}, "b.md:1 c:1 "},
      {{"--max-size", "100", "foo"}, "a.txt:5 a.txt:13 a.txt:21 b.md:1 c:1 "},
      {{"-s", "--ext", "md;txt", "--max-size", "50", "foo"},
       "a.txt:5 a.txt:13 a.txt:21 b.md:1 sub/d.txt:1 "},
      {{"-e", "-i", "^f\\w+"}, "a.txt:1 b.md:1 c:1 "},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = c.args;
    args.push_back(Tree());
    ProgramOutcome o = Find(args);
    std::string got;
    std::istringstream lines(o.out);
    for (std::string line; std::getline(lines, line);) {
      std::vector<std::string> cells;
      std::istringstream split(line);
      for (std::string cell; std::getline(split, cell, '\t');) cells.push_back(cell);
      ASSERT_EQ(cells.size(), 6u) << line;
      got += cells[1] + ":" + cells[5] + " ";
    }
    EXPECT_EQ(got, c.paths_and_pointers) << c.args.front() << " " << c.args.size();
  }
}

TEST_F(FindCliTest, WithoutACharsetSearchesInTheTableDefault) {
  Write("tree/utf8.txt", "\xC3\xA9t\xC3\xA9 \xF0\x9F\x98\x80x");
  ProgramOutcome o = Find({"x", Tree()});  // entry 42 of the installed table: utf-8
  EXPECT_EQ(o.out, "1\tutf8.txt\t1\t7\tx\t7\n");
}

TEST_F(FindCliTest, TakesConditionsFromASettingsFileAndTheCommandLineWins) {
  Write("tree/a.txt", "ABC abc\rabc");
  Write("tree/sub/b.txt", "abc");
  Write("tree/big.txt", std::string(20000, ' ') + "abc");
  Write("Quonder.ini", "[FindSetting]\nSourceFolder=" + Tree() +
                           "\nIgnoreCase=1\nSubFolder=1\nLineFeedCode=\\r\nExtBehavior=1\n"
                           "[FindHistory]\n0=\"abc\"\n[ExtentionsHistory]\n0=\"md\"\n");
  ProgramOutcome o = Find({"--ini", Path("Quonder.ini")});
  EXPECT_EQ(o.exit_code, 0) << o.err;
  // MaxSize defaults to 10240 as in the window: big.txt is skipped.
  EXPECT_EQ(o.out,
            "1\ta.txt\t1\t1\tABC\t1\n2\ta.txt\t1\t5\tabc\t5\n3\ta.txt\t2\t1\tabc\t9\n"
            "4\tsub/b.txt\t1\t1\tabc\t1\n");
  o = Find({"--ini", Path("Quonder.ini"), "--max-size", "0", "--ext", "txt", "ABC"});
  EXPECT_EQ(o.out.substr(0, 17), "1\ta.txt\t1\t1\tABC\t1");
  EXPECT_NE(o.out.find("big.txt"), std::string::npos);
}

// 0 hit, 1 none, 2 an error; on any error nothing on standard output.
TEST_F(FindCliTest, ExitStatusTellsHitsNoneAndErrors) {
  Write("tree/a.txt", "nothing here");
  struct Case {
    std::vector<std::string> args;
    int exit_code;
    std::string in_err;
  };
  const std::vector<Case> cases = {
      {{"here", Tree()}, 0, "Found from 1 Files."},
      {{"absent", Tree()}, 1, "Found from 0 Files."},
      {{"x", Path("no-such-folder")}, 2, "no-such-folder"},
      {{"-e", "a(", Tree()}, 2, "parenthesis"},
      {{"--coding", "no-such-charset", "x", Tree()}, 2, "no-such-charset"},
      {{"--ini", Path("missing.ini")}, 2, "missing.ini"},
      {{}, 2, "usage: quonder-cli find"},
      {{"x"}, 2, "usage:"},
      {{"x", Tree(), "extra"}, 2, "too many"},
      {{"--bogus", "x", Tree()}, 2, "--bogus"},
      {{"--max-size", "-1", "x", Tree()}, 2, "--max-size"},
      {{"--max-size", "3000000000", "x", Tree()}, 2, "--max-size"},
      {{"--line-feed", "crcr", "x", Tree()}, 2, "--line-feed"},
      {{"x", Tree(), "--ext"}, 2, "needs a value"},
      {{"", Tree()}, 2, "FIND_TEXT"},
      {{"--threads", "two", "x", Tree()}, 2, "--threads"},
      {{"--threads", "-1", "x", Tree()}, 2, "--threads"},
      {{"--threads", " 2", "x", Tree()}, 2, "--threads"},
      {{"--threads", "+2", "x", Tree()}, 2, "--threads"},
      {{"x", Tree(), "--threads"}, 2, "needs a value"},
      {{"--count", "-c", "x", Tree(), "-x"}, 2, "unknown option -x"},
      {{"-sx", "x", Tree()}, 2, "unknown option -x"},
      {{"-qic", "HERE", Tree()}, 0, ""},  // short options written as one
  };
  for (const Case& c : cases) {
    ProgramOutcome o = Find(c.args);
    EXPECT_EQ(o.exit_code, c.exit_code) << o.err;
    EXPECT_NE(o.err.find(c.in_err), std::string::npos) << o.err;
    if (c.exit_code == 2) {
      EXPECT_EQ(o.out, "");
    }
  }
}

// Each folder or file that could not be searched is named on standard error with its reason,
// where the walk met it; the summary counts them and the files the size limit left out.
TEST_F(FindCliTest, SaysWhatItCouldNotSearch) {
  Write("tree/a.txt", "x");
  Write("tree/big.txt", "x" + std::string(100, ' '));
  std::filesystem::create_symlink("/proc/self/mem", Path("tree/mem.txt"));
  const DeepFolders deep(Tree(), "deep");
  ProgramOutcome o = Find({"-s", "--max-size", "100", "x", Tree()});
  EXPECT_EQ(o.out, "1\ta.txt\t1\t1\tx\t1\n");
  EXPECT_EQ(o.err,
            "quonder-cli find: mem.txt: could not be read: Input/output error\n"
            "quonder-cli find: " +
                deep.too_long() +
                ": folder could not be listed: "
                "File name too long\n"
                "Found from 1 Files.\n"
                "1 file(s) larger than the Maximum File Size were skipped.\n"
                "1 folder(s) could not be listed.\n"
                "1 file(s) could not be read.\n");
}

// A file that cannot be read is an error (2), and the rows of the others are printed all the
// same; quiet, a hit is all that matters.
TEST_F(FindCliTest, AnUnreadableFileIsAnErrorAfterTheRows) {
  Write("tree/a.txt", "x");
  chmod(Write("tree/b.txt", "x").c_str(), 0);
  ProgramOutcome o = Find({"x", Tree()}, true);
  EXPECT_EQ(o.exit_code, 2);
  EXPECT_EQ(o.out, "1\ta.txt\t1\t1\tx\t1\n");
  EXPECT_NE(o.err.find("Found from 1 Files."), std::string::npos) << o.err;
  o = Find({"y", Tree()}, true);
  EXPECT_EQ(o.exit_code, 2);
  o = Find({"-q", "x", Tree()}, true);
  EXPECT_EQ(o.exit_code, 0);
  EXPECT_EQ(o.out + o.err, "");
}

// --quiet prints nothing and tells by the exit status alone; --count prints the hits per file.
TEST_F(FindCliTest, QuietAndCountForScripts) {
  Write("tree/a.txt", "x x");
  Write("tree/new\nline.txt", "x");
  Write("tree/sub/b.txt", "x x x");
  struct Case {
    std::vector<std::string> args;
    int exit_code;
    std::string out;
  };
  const std::vector<Case> cases = {
      {{"-q", "x"}, 0, ""},
      {{"--quiet", "absent"}, 1, ""},
      {{"-s", "-c", "x"}, 0, "a.txt\t2\nnew\\nline.txt\t1\nsub/b.txt\t3\n"},
      {{"--count", "--json", "x"},
       0,
       "{\"path\":\"a.txt\",\"count\":2}\n{\"path\":\"new\\nline.txt\",\"count\":1}\n"},
      {{"-c", "absent"}, 1, ""},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = c.args;
    args.push_back(Tree());
    ProgramOutcome o = Find(args);
    EXPECT_EQ(o.exit_code, c.exit_code) << c.args.front();
    EXPECT_EQ(o.out, c.out) << c.args.front();
    if (c.args.front() == "-q" || c.args.front() == "--quiet") {
      EXPECT_EQ(o.err, "");
    }
  }
}

// The shell expands what the user meant to expand: FOLDER and FIND_TEXT reach the run as
// written, while a settings file's folder keeps its references.
TEST_F(FindCliTest, FolderAndFindTextAreTakenLiterally) {
  Write("home/a.txt", "in home");
  Write("tree/%QUONDER_TEST_HOME%/a.txt", "%QUONDER_TEST_HOME% in the literal folder");
  ScopedEnv env("QUONDER_TEST_HOME", Path("home"));
  ProgramOutcome o = Find({"-s", "in", Tree() + "/%QUONDER_TEST_HOME%"});
  EXPECT_EQ(o.out, "1\ta.txt\t1\t21\tin\t21\n");
  o = Find({"-s", "%QUONDER_TEST_HOME%", Tree()});
  EXPECT_EQ(o.out, "1\t%QUONDER_TEST_HOME%/a.txt\t1\t1\t%QUONDER_TEST_HOME%\t1\n");
  Write("Quonder.ini", "[FindSetting]\nSourceFolder=%QUONDER_TEST_HOME%\nExtBehavior=1\n");
  o = Find({"--ini", Path("Quonder.ini"), "home"});
  EXPECT_EQ(o.out, "1\ta.txt\t1\t4\thome\t4\n");
}

// JSON rows carry the raw found text; a name that is not UTF-8 prints alike with U+FFFD, so
// JSON adds its bytes.
TEST_F(FindCliTest, JsonCarriesTheRawFoundTextAndTheBytesOfANameThatIsNotUtf8) {
  Write("tree/sub/a.txt", "say \"hi\\\"\r\nnow\xC3\xA9");
  ProgramOutcome o = Find({"--json", "-s", "-e", "\"hi.*\\r\\n.*", Tree()});
  EXPECT_EQ(o.exit_code, 0);
  EXPECT_EQ(o.out,
            "{\"no\":1,\"path\":\"sub/a.txt\",\"line\":1,\"column\":5,"
            "\"found\":\"\\\"hi\\\\\\\"\\r\\nnow\xC3\xA9\",\"pointer\":5}\n");
  for (const char* name : {"a\xFE.txt", "a\xFF", "\xFF"}) Write("tree/" + std::string(name), "x");
  o = Find({"--json", "x", Tree()});
  EXPECT_EQ(o.out.substr(0, o.out.find('\n')),
            "{\"no\":1,\"path\":\"a\xEF\xBF\xBD.txt\",\"path_base64\":\"Yf4udHh0\",\"line\":1,"
            "\"column\":1,\"found\":\"x\",\"pointer\":1}");
  o = Find({"--json", "--count", "x", Tree()});
  EXPECT_EQ(o.out,
            "{\"path\":\"a\xEF\xBF\xBD.txt\",\"path_base64\":\"Yf4udHh0\",\"count\":1}\n"
            "{\"path\":\"a\xEF\xBF\xBD\",\"path_base64\":\"Yf8=\",\"count\":1}\n"
            "{\"path\":\"\xEF\xBF\xBD\",\"path_base64\":\"/w==\",\"count\":1}\n");
}

TEST_F(FindCliTest, VersionAndHelp) {
  for (const char* command : {"", "find", "replace"}) {
    ProgramOutcome o = Run(*command ? std::vector<std::string>{command, "--version"}
                                    : std::vector<std::string>{"--version"});
    EXPECT_EQ(o.exit_code, 0);
    EXPECT_EQ(o.out, std::string("quonder-cli ") + QUONDER_VERSION + "\n");
  }
  ProgramOutcome o = Find({"--help"});
  EXPECT_EQ(o.exit_code, 0);
  EXPECT_NE(o.out.find("usage: quonder-cli find"), std::string::npos) << o.out;
}

TEST_F(FindCliTest, AnyNumberOfWorkersPrintsTheSameRows) {
  for (int i = 0; i < 60; ++i) {
    Write("tree/d" + std::to_string(i % 4) + "/f" + std::to_string(i) + ".txt",
          std::string(static_cast<size_t>(i) * 500, 'y') + "x\nx y x");
  }
  const ProgramOutcome one = Find({"-s", "--threads", "1", "x", Tree()});
  ASSERT_EQ(one.exit_code, 0) << one.err;
  EXPECT_NE(one.out.find("\n180\t"), std::string::npos);  // 180 rows, numbered in order
  for (const char* threads : {"3", "0"}) {
    const ProgramOutcome many = Find({"-s", "--threads", threads, "x", Tree()});
    EXPECT_EQ(many.exit_code, 0);
    EXPECT_EQ(many.out, one.out) << threads;
    EXPECT_EQ(many.err, one.err) << threads;
  }
}

}  // namespace
}  // namespace quonder::testing
