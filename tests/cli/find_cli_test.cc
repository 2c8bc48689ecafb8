// quonder-cli find end to end: the installed binary run on folders made here.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "support/deep_folders.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct Outcome {
  int exit_code = -1;
  std::string out;
  std::string err;
};

class FindCliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = fs::temp_directory_path().string() + "/quonder-find-cli-XXXXXX";
    root_ = ::mkdtemp(pattern.data());
    fs::create_directories(Path("tree"));
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  std::string Path(const std::string& relative) const { return root_ + "/" + relative; }
  std::string Tree() const { return Path("tree"); }
  void Write(const std::string& relative, const std::string& bytes) const {
    fs::create_directories(fs::path(Path(relative)).parent_path());
    std::ofstream(Path(relative), std::ios::binary) << bytes;
  }
  std::string Read(const std::string& relative) const {
    std::ifstream in(Path(relative), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  // Runs `quonder-cli find ARGS...`, standard output and error captured through files.
  Outcome Find(const std::vector<std::string>& args) {
    std::vector<std::string> all = {QUONDER_CLI, "find"};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : all) argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, Path("out").c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 2, Path("err").c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    pid_t pid = 0;
    Outcome outcome;
    if (posix_spawn(&pid, QUONDER_CLI, &actions, nullptr, argv.data(), environ) == 0) {
      int status = 0;
      waitpid(pid, &status, 0);
      outcome.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    outcome.out = Read("out");
    outcome.err = Read("err");
    return outcome;
  }

  std::string root_;
};

TEST_F(FindCliTest, PrintsOneTabSeparatedLinePerRowAndTheSummaryOnStandardError) {
  Write("tree/a.txt", "ab\r\ncd ab\n");
  Write("tree/sub/b.txt", "xab");
  Outcome o = Find({"ab", Tree()});
  EXPECT_EQ(o.exit_code, 0);
  EXPECT_EQ(o.out, "1\ta.txt\t1\t1\tab\t1\n2\ta.txt\t2\t4\tab\t8\n");
  EXPECT_EQ(o.err, "Found from 1 Files.\n");
  o = Find({"-s", "--line-feed", "crlf", "ab", Tree()});
  EXPECT_EQ(o.out, "1\ta.txt\t1\t1\tab\t1\n2\ta.txt\t2\t4\tab\t8\n3\tsub/b.txt\t1\t2\tab\t2\n");
  EXPECT_EQ(o.err, "Found from 2 Files.\n");
}

TEST_F(FindCliTest, EveryRowStaysOneLine) {
  Write("tree/tab\there.txt", "a\tb\\c\n");
  Outcome o = Find({"a\tb\\", Tree()});
  EXPECT_EQ(o.out, "1\ttab\\there.txt\t1\t1\ta\\tb\\\\\t1\n");
  Write("tree/tab\there.txt", "x\r\ny");
  o = Find({"-e", "x\\r\\ny", Tree()});
  EXPECT_EQ(o.out, "1\ttab\\there.txt\t1\t1\tx\\r\\ny\t1\n");
}

TEST_F(FindCliTest, JsonRowsCarryTheRawFoundText) {
  Write("tree/sub/a.txt", "say \"hi\\\"\r\nnow\xC3\xA9");
  Outcome o = Find({"--json", "-s", "-e", "\"hi.*\\r\\n.*", Tree()});
  EXPECT_EQ(o.exit_code, 0);
  EXPECT_EQ(o.out,
            "{\"no\":1,\"path\":\"sub/a.txt\",\"line\":1,\"column\":5,"
            "\"found\":\"\\\"hi\\\\\\\"\\r\\nnow\xC3\xA9\",\"pointer\":5}\n");
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
    Outcome o = Find(args);
    EXPECT_EQ(o.exit_code, 0);
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

TEST_F(FindCliTest, ReadsTheChosenCharsetAndDefaultsToTheTableDefault) {
  Write("tree/utf8.txt", "\xC3\xA9t\xC3\xA9 \xF0\x9F\x98\x80x");
  Outcome o = Find({"x", Tree()});  // entry 42 of the installed table: utf-8
  EXPECT_EQ(o.out, "1\tutf8.txt\t1\t7\tx\t7\n");
  Write("tree/utf8.txt", "\x82\xA0\x95\x5C\\");  // Shift_JIS: a, hyou, backslash
  o = Find({"--coding", "shift_jis", "\\", Tree()});
  EXPECT_EQ(o.out, "1\tutf8.txt\t1\t3\t\\\\\t3\n");
}

TEST_F(FindCliTest, TakesConditionsFromASettingsFileAndTheCommandLineWins) {
  Write("tree/a.txt", "ABC abc\rabc");
  Write("tree/sub/b.txt", "abc");
  Write("tree/big.txt", std::string(20000, ' ') + "abc");
  Write("Quonder.ini", "[FindSetting]\nSourceFolder=" + Tree() +
                           "\nIgnoreCase=1\nSubFolder=1\nLineFeedCode=\\r\nExtBehavior=1\n"
                           "[FindHistory]\n0=\"abc\"\n[ExtentionsHistory]\n0=\"md\"\n");
  Outcome o = Find({"--ini", Path("Quonder.ini")});
  EXPECT_EQ(o.exit_code, 0) << o.err;
  // MaxSize defaults to 10240 as in the window: big.txt is skipped.
  EXPECT_EQ(o.out,
            "1\ta.txt\t1\t1\tABC\t1\n2\ta.txt\t1\t5\tabc\t5\n3\ta.txt\t2\t1\tabc\t9\n"
            "4\tsub/b.txt\t1\t1\tabc\t1\n");
  o = Find({"--ini", Path("Quonder.ini"), "--max-size", "0", "--ext", "txt", "ABC"});
  EXPECT_EQ(o.out.substr(0, 17), "1\ta.txt\t1\t1\tABC\t1");
  EXPECT_NE(o.out.find("big.txt"), std::string::npos);
  o = Find({"--ini", Path("missing.ini")});
  EXPECT_EQ(o.exit_code, 1);
  EXPECT_NE(o.err.find("missing.ini"), std::string::npos);
}

TEST_F(FindCliTest, ExitStatusTellsCompletedFailedAndWrongUsage) {
  Write("tree/a.txt", "nothing here");
  struct Case {
    std::vector<std::string> args;
    int exit_code;
    std::string in_err;
  };
  const std::vector<Case> cases = {
      {{"absent", Tree()}, 0, "Found from 0 Files."},
      {{"x", Path("no-such-folder")}, 1, "no-such-folder"},
      {{"-e", "a(", Tree()}, 1, "parenthesis"},
      {{"--coding", "no-such-charset", "x", Tree()}, 1, "no-such-charset"},
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
      {{"x", Tree(), "--threads"}, 2, "needs a value"},
  };
  for (const Case& c : cases) {
    Outcome o = Find(c.args);
    EXPECT_EQ(o.exit_code, c.exit_code) << o.err;
    EXPECT_NE(o.err.find(c.in_err), std::string::npos) << o.err;
    if (c.exit_code != 0) {
      EXPECT_EQ(o.out, "");
    }
  }
}

// Each folder or file that could not be searched is named on standard error with its reason,
// where the walk met it; the summary counts them and the files the size limit left out.
TEST_F(FindCliTest, SaysWhatItCouldNotSearch) {
  Write("tree/a.txt", "x");
  Write("tree/big.txt", "x" + std::string(100, ' '));
  fs::create_symlink("/proc/self/mem", Path("tree/mem.txt"));
  const quonder::testing::DeepFolders deep(Tree(), "deep");
  Outcome o = Find({"-s", "--max-size", "100", "x", Tree()});
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

TEST_F(FindCliTest, AnyNumberOfWorkersPrintsTheSameRows) {
  for (int i = 0; i < 60; ++i) {
    Write("tree/d" + std::to_string(i % 4) + "/f" + std::to_string(i) + ".txt",
          std::string(static_cast<size_t>(i) * 500, 'y') + "x\nx y x");
  }
  const Outcome one = Find({"-s", "--threads", "1", "x", Tree()});
  ASSERT_EQ(one.exit_code, 0) << one.err;
  EXPECT_NE(one.out.find("\n180\t"), std::string::npos);  // 180 rows, numbered in order
  for (const char* threads : {"3", "0"}) {
    const Outcome many = Find({"-s", "--threads", threads, "x", Tree()});
    EXPECT_EQ(many.exit_code, 0);
    EXPECT_EQ(many.out, one.out) << threads;
    EXPECT_EQ(many.err, one.err) << threads;
  }
}

TEST_F(FindCliTest, HelpDocumentsEveryOption) {
  Outcome o = Find({"--help"});
  EXPECT_EQ(o.exit_code, 0);
  for (const char* option : {"-e, --regex", "-i, --ignore-case", "-w, --word-only", "--separator",
                             "-s, --subfolders", "--max-size", "--ext", "--exclude", "--coding",
                             "--line-feed", "--ini", "--json", "--threads"}) {
    EXPECT_NE(o.out.find(option), std::string::npos) << option;
  }
}

}  // namespace
