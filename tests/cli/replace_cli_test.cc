// quonder-cli replace end to end, on folders made here.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/deep_folders.h"

namespace {

namespace fs = std::filesystem;

std::string Quote(const std::string& arg) {
  std::string quoted = "'";
  for (char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

class ReplaceCliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = fs::temp_directory_path().string() + "/quonder-cli-XXXXXX";
    root_ = ::mkdtemp(pattern.data());
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  std::string Path(const std::string& relative) const { return root_ + "/" + relative; }
  void Write(const std::string& relative, const std::string& bytes) const {
    fs::create_directories(fs::path(Path(relative)).parent_path());
    std::ofstream(Path(relative), std::ios::binary) << bytes;
  }
  std::string Read(const std::string& relative) const {
    std::ifstream in(Path(relative), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  // Runs quonder-cli with `args`; returns its exit status, standard output in `out`.
  int Run(const std::vector<std::string>& args, std::string& out) {
    std::string command = Quote(QUONDER_CLI);
    for (const std::string& arg : args) command += " " + Quote(arg);
    command += " 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    out.clear();
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    int status = ::pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::string root_;
};

TEST_F(ReplaceCliTest, ReplacesEveryHitAndKeepsBomAndLineEnds) {
  Write("d/a.txt",
        "\xEF\xBB\xBF"
        "foo bar\r\nfoo\n");
  Write("d/sub/b.txt", "x foo");
  std::string out;
  EXPECT_EQ(Run({"replace", "-s", "--replace", "Zed", "foo", Path("d")}, out), 0);
  EXPECT_EQ(Read("d/a.txt"),
            "\xEF\xBB\xBF"
            "Zed bar\r\nZed\n");
  EXPECT_EQ(Read("d/sub/b.txt"), "x Zed");
  EXPECT_EQ(out, "a.txt: 2 hit(s) replaced\nsub/b.txt: 1 hit(s) replaced\nReplaced 3 / 3\n");
}

TEST_F(ReplaceCliTest, DryRunReportsAndWritesNothing) {
  Write("d/a.txt", "foo foo");
  std::string out;
  EXPECT_EQ(Run({"replace", "--dry-run", "--replace", "", "foo", Path("d")}, out), 0);
  EXPECT_EQ(Read("d/a.txt"), "foo foo");
  EXPECT_EQ(out,
            "a.txt: 2 hit(s) would be replaced\nDry run: no file was written.\nReplaced 2 / 2\n");
}

TEST_F(ReplaceCliTest, UntouchedFilesAreNamedWithTheirReasonAndExitOne) {
  Write("d/bad.txt", "foo \xFF");
  Write("d/good.txt", "foo");
  std::string out;
  EXPECT_EQ(Run({"replace", "--replace", "Zed", "foo", Path("d")}, out), 1);
  EXPECT_EQ(Read("d/bad.txt"), "foo \xFF");
  EXPECT_EQ(Read("d/good.txt"), "Zed");
  EXPECT_NE(out.find("bad.txt: left untouched: bytes invalid in the charset"), std::string::npos)
      << out;
  EXPECT_NE(out.find("Replaced 1 / 2\n1 file(s) left untouched: bytes invalid in the charset.\n"),
            std::string::npos)
      << out;
}

// A folder the find could not list may hold hits that were not replaced: the exit status says
// so. The atomic writer's temporary file of a running process is neither searched nor replaced.
TEST_F(ReplaceCliTest, WhatTheFindLeftOutIsAnErrorAndTemporaryFilesStayUntouched) {
  Write("d/good.txt", "foo");
  const std::string temp = ".quonder-" + std::to_string(::getpid()) + "-1.tmp";
  Write("d/" + temp, "foo");
  const quonder::testing::DeepFolders deep(Path("d"), "deep");
  std::string out;
  EXPECT_EQ(Run({"replace", "-s", "--replace", "Zed", "foo", Path("d")}, out), 1);
  EXPECT_EQ(Read("d/good.txt"), "Zed");
  EXPECT_EQ(Read("d/" + temp), "foo");
  EXPECT_NE(out.find("Replaced 1 / 1\n"), std::string::npos) << out;
}

TEST_F(ReplaceCliTest, RegularExpressionReplacementUsesGroups) {
  Write("d/a.css", "a { width: 12px; }\nb { top: 7px; }\n");
  std::string out;
  EXPECT_EQ(Run({"replace", "-e", "--replace", "$1em", "(\\d+)px", Path("d")}, out), 0);
  EXPECT_EQ(Read("d/a.css"), "a { width: 12em; }\nb { top: 7em; }\n");
}

TEST_F(ReplaceCliTest, BackupKeepsTheLayoutAndRefusesAFolderInUse) {
  Write("d/a.txt", "foo 1");
  Write("d/sub/b.txt", "foo 2");
  std::string out;
  EXPECT_EQ(Run({"replace", "-s", "--backup", Path("bk"), "--replace", "X", "foo", Path("d")}, out),
            0);
  EXPECT_EQ(Read("bk/a.txt"), "foo 1");
  EXPECT_EQ(Read("bk/sub/b.txt"), "foo 2");
  EXPECT_EQ(Read("d/sub/b.txt"), "X 2");

  // A second run would mix its copies with the first run's: refused before anything changes.
  EXPECT_EQ(Run({"replace", "-s", "--backup", Path("bk"), "--replace", "Y", "X", Path("d")}, out),
            2);
  EXPECT_EQ(Read("d/sub/b.txt"), "X 2");
  EXPECT_EQ(Read("bk/sub/b.txt"), "foo 2");
}

TEST_F(ReplaceCliTest, AFailedBackupChangesNothing) {
  Write("d/a.txt", "foo");
  Write("blocker", "a file where the backup folder's parent should be");
  std::string out;
  EXPECT_EQ(
      Run({"replace", "--backup", Path("blocker/bk"), "--replace", "X", "foo", Path("d")}, out), 1);
  EXPECT_EQ(Read("d/a.txt"), "foo");
  EXPECT_EQ(out, "Failed to backup 1 file(s); no file was changed:\na.txt: not backed up\n");
}

TEST_F(ReplaceCliTest, UsageErrors) {
  Write("d/a.txt", "foo");
  std::string out;
  EXPECT_EQ(Run({"replace", "foo", Path("d")}, out), 2);         // no --replace
  EXPECT_EQ(Run({"replace", "--replace"}, out), 2);              // no value
  EXPECT_EQ(Run({"replace", "--replace", "x", "foo"}, out), 2);  // no folder
  EXPECT_EQ(Read("d/a.txt"), "foo");
}

}  // namespace
