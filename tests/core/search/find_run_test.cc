// The find run on one worker: walk order, which entries are searched, the filters and what
// they leave out, counters and status texts, what cannot be searched, stops, and conditions read
// at the moment of use.
#include "core/search/find_run.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>

#include "core/fileops/temp_names.h"
#include "core/search/find_test_support.h"
#include "core/text/utf_convert.h"
#include "support/deep_folders.h"
#include "support/plain_user.h"
#include "support/scoped_env.h"

namespace quonder {
namespace {

using find_test::ConditionsFor;
using find_test::RecordingHost;
using find_test::RunTranscript;
using find_test::ScratchFolder;
using find_test::Summary;

class FindRunTest : public ::testing::Test {
 protected:
  FindConditions Conditions(const std::u16string& find_text = u"x", std::string_view flags = "") {
    return ConditionsFor(folder_.path(), find_text, flags);
  }
  // The relative paths of the rows, one per line.
  std::string Paths(const FindConditions& conditions, FindRunResult* result = nullptr) {
    RecordingHost host(conditions);
    FindRunResult own;
    Status status = RunFind(host, FindRunOptions(), result != nullptr ? *result : own);
    if (!status.ok()) return "error: " + status.message();
    std::string paths;
    for (const ResultRow& row : host.rows) paths += row.path + "\n";
    return paths;
  }

  // One run of `host`, its status expected ok.
  static FindRunResult RunOk(RecordingHost& host, const FindRunOptions& options = {}) {
    FindRunResult result;
    const Status status = RunFind(host, options, result);
    EXPECT_TRUE(status.ok()) << status.message();
    return result;
  }

  // The rows and problems the host was handed, one per line, in order.
  static std::string Events(const RecordingHost& host) {
    std::string events;
    for (const std::string& entry : host.log) {
      if (entry.rfind("panel", 0) != 0) events += entry + "\n";
    }
    return events;
  }

  ScratchFolder folder_;
};

TEST_F(FindRunTest, FilesComeBeforeSubfoldersEachInCodePointOrder) {
  for (const char* name : {"b.txt", "a.txt", "A.txt", "\xC3\xA9.txt", ".hidden", "z/z.txt",
                           "a/b/c/c.txt", "a/b/b.txt", "a/a.txt", "a/.d/d.txt"}) {
    folder_.Write(name, "x");
  }
  FindConditions conditions = Conditions();
  EXPECT_EQ(Paths(conditions), ".hidden\nA.txt\na.txt\nb.txt\n\xC3\xA9.txt\n");
  conditions.sub_folders = true;
  EXPECT_EQ(Paths(conditions),
            ".hidden\nA.txt\na.txt\nb.txt\n\xC3\xA9.txt\n"
            "a/a.txt\na/.d/d.txt\na/b/b.txt\na/b/c/c.txt\nz/z.txt\n");
}

TEST_F(FindRunTest, LinksToFilesAreSearchedLinksToFoldersAndOddEntriesAreNotButCounted) {
  folder_.Write("real/target.txt", "x");
  namespace fs = std::filesystem;
  fs::create_symlink(folder_.Path("real/target.txt"), folder_.Path("file_link.txt"));
  fs::create_directory_symlink(folder_.Path("real"), folder_.Path("real/loop"));
  fs::create_symlink(folder_.Path("missing"), folder_.Path("broken_link"));
  ASSERT_EQ(mkfifo(folder_.Path("pipe").c_str(), 0600), 0);  // would block a reader
  FindConditions conditions = Conditions();
  conditions.sub_folders = true;
  EXPECT_EQ(Paths(conditions), "file_link.txt\nreal/target.txt\n");
  for (int threads : {1, 2}) {
    RecordingHost host(conditions);
    // The folder link, the broken link, the pipe.
    EXPECT_EQ(RunOk(host, {.threads = threads}).other_entries, 3) << threads;
  }
}

// The extension filter is a caseless substring test; the size limit is strictly below; each
// counts what it leaves out.
TEST_F(FindRunTest, FiltersLeaveOutFilesAndCountThem) {
  for (const char* name : {"a.txt", "a.TXT", "b.t", "c", "d.text", "e.", "f.xt.bak"}) {
    folder_.Write(name, "x");
  }
  folder_.Write("under.txt", std::string(10238, 'y') + "x");
  folder_.Write("at.txt", std::string(10239, 'y') + "x");
  struct Case {
    const char* name;
    std::u16string extensions;
    ExtBehavior behavior;
    int32_t max_size;
    const char* paths;
    int32_t filtered;
    int32_t oversized;
  };
  const ExtBehavior kInclude = ExtBehavior::kInclude, kExclude = ExtBehavior::kExclude;
  const std::vector<Case> cases = {
      {"include", u"txt", kInclude, 0, "a.TXT\na.txt\nat.txt\nb.t\nunder.txt\n", 4, 0},
      {"exclude", u"txt", kExclude, 0, "c\nd.text\ne.\nf.xt.bak\n", 5, 0},
      {"include, empty list", u"", kInclude, 0, "", 9, 0},
      {"no such behaviour", u"txt", static_cast<ExtBehavior>(2), 0, "", 9, 0},
      {"inside another extension", u"HTML;BAK", kInclude, 0, "b.t\nf.xt.bak\n", 7, 0},
      {"size limit", u"", kExclude, 10240,
       "a.TXT\na.txt\nb.t\nc\nd.text\ne.\nf.xt.bak\nunder.txt\n", 0, 1},
  };
  for (const Case& c : cases) {
    FindConditions conditions = Conditions();
    conditions.extensions = c.extensions;
    conditions.ext_behavior = c.behavior;
    conditions.max_size = c.max_size;
    FindRunResult result;
    EXPECT_EQ(Paths(conditions, &result), c.paths) << c.name;
    EXPECT_EQ(result.filtered_files, c.filtered) << c.name;
    EXPECT_EQ(result.oversized_files, c.oversized) << c.name;
  }
}

TEST_F(FindRunTest, CountersRowNumbersAndStatusTexts) {
  folder_.Write("a.txt", "x x\nx");
  folder_.Write("b.txt", "none");
  folder_.Write("sub/c.txt", "x");
  FindConditions conditions = Conditions();
  conditions.sub_folders = true;
  conditions.extensions = u"txt";
  conditions.ext_behavior = ExtBehavior::kInclude;
  folder_.Write("skipped.bin", "x");
  RecordingHost host(conditions);
  const FindRunResult result = RunOk(host);
  EXPECT_EQ(host.Transcript(), "a.txt:1:1:x:1\na.txt:1:3:x:3\na.txt:2:1:x:5\nsub/c.txt:1:1:x:1\n");
  for (size_t i = 0; i < host.rows.size(); ++i) EXPECT_EQ(host.rows[i].number, int64_t(i) + 1);
  EXPECT_EQ(result.file_counter, 3);  // filtered files are not read
  EXPECT_EQ(result.filtered_files, 1);
  EXPECT_EQ(result.find_counter, 4);
  EXPECT_EQ(result.found_files, 2);
  EXPECT_FALSE(result.stopped);
  using P = StatusPanel;
  EXPECT_EQ(host.status[P::kCurrentFile],
            (std::vector<std::u16string>{u"a.txt", u"b.txt", u"sub/c.txt"}));
  EXPECT_EQ(host.status[P::kFileCounter], (std::vector<std::u16string>{u"1", u"2", u"3"}));
  EXPECT_EQ(host.status[P::kFindCounter], (std::vector<std::u16string>{u"1", u"2", u"3", u"4"}));
}

TEST_F(FindRunTest, FoundTextIsEscapedInRegularExpressionModeOnly) {
  folder_.Write("a.txt", "a\r\nb\\");
  FindConditions conditions = Conditions(u"a\r\nb\\");
  EXPECT_EQ(RunTranscript(conditions), "a.txt:1:1:a\r\nb\\:1\n");
  conditions.find_text = u"a\\r\\nb\\\\";
  conditions.reg_exp = true;
  EXPECT_EQ(RunTranscript(conditions), "a.txt:1:1:a\\r\\nb\\\\:1\n");
}

TEST_F(FindRunTest, RunsThatCannotStartSayWhy) {
  folder_.Write("a.txt", "x");
  struct Case {
    const char* name;
    std::function<void(FindConditions&)> edit;
    Status::Code code;
    std::string names;
  };
  const std::vector<Case> cases = {
      {"missing folder", [this](FindConditions& c) { c.source_folder = folder_.Path("nope"); },
       Status::Code::kNotFound, folder_.Path("nope")},
      {"a file as folder", [this](FindConditions& c) { c.source_folder = folder_.Path("a.txt"); },
       Status::Code::kNotFound, "a.txt"},
      {"empty folder name", [](FindConditions& c) { c.source_folder = ""; },
       Status::Code::kNotFound, "\"\""},
      {"invalid pattern", [](FindConditions& c) { c.reg_exp = true, c.find_text = u"a("; },
       Status::Code::kInvalidPattern, "parenthesis"},
      {"unknown charset", [](FindConditions& c) { c.coding = "no-such-charset"; },
       Status::Code::kUnknownCharset, "no-such-charset"},
      {"empty find text", [](FindConditions& c) { c.find_text.clear(); },
       Status::Code::kInvalidArgument, "Set Find data !"},
  };
  for (const Case& c : cases) {
    FindConditions conditions = Conditions();
    c.edit(conditions);
    RecordingHost host(conditions);
    FindRunResult result;
    Status status = RunFind(host, FindRunOptions(), result);
    EXPECT_EQ(status.code(), c.code) << c.name;
    EXPECT_NE(status.message().find(c.names), std::string::npos)
        << c.name << ": " << status.message();
    EXPECT_TRUE(host.rows.empty()) << c.name;
  }
}

TEST_F(FindRunTest, ExpandsEnvironmentReferencesInTheSourceFolder) {
  folder_.Write("a.txt", "x");
  testing::ScopedEnv env("QUONDER_FIND_TEST_DIR", folder_.path());
  FindConditions conditions = Conditions();
  conditions.source_folder = "%QUONDER_FIND_TEST_DIR%";
  EXPECT_EQ(RunTranscript(conditions), "a.txt:1:1:x:1\n");
}

// A file that cannot be read, a link whose target cannot be reached, a folder that cannot be
// listed and one whose path is too long to open are each reported where the walk meets them,
// with the reason, and counted; the walk goes on past them.
TEST_F(FindRunTest, WhatCannotBeSearchedIsReportedInWalkOrder) {
  folder_.Write("a.txt", "x");
  folder_.Write("b.txt", "x");
  folder_.Write("locked/c.txt", "x");
  folder_.Write("open/d.txt", "x");
  std::filesystem::create_symlink("locked/c.txt", folder_.Path("c_link.txt"));
  const testing::DeepFolders deep(folder_.path(), "deep");
  chmod(folder_.Path("a.txt").c_str(), 0);
  chmod(folder_.Path("locked").c_str(), 0);
  FindConditions conditions = Conditions();
  conditions.sub_folders = true;
  RecordingHost host(conditions);
  FindRunResult result;
  Status status;
  ASSERT_TRUE(testing::RunAsPlainUser([&] { status = RunFind(host, FindRunOptions(), result); }));
  EXPECT_EQ(Events(host),
            "problem 1 a.txt: Permission denied\nrow 1 b.txt:1:1:x:1\n"
            "problem 1 c_link.txt: Permission denied\nproblem 0 " +
                deep.too_long() + ": File name too long\nproblem 0 locked: Permission denied\n" +
                "row 2 open/d.txt:1:1:x:1\n");
  EXPECT_EQ(Summary(status, result),
            " files=2 finds=2 found=2 given_up=2 too_complex=0 unlisted=2 oversized=0 filtered=0 "
            "stopped=0");
}

// The tree changes after a folder was listed, as the walk meets its first file: a folder
// that turned into a link is not followed (counted like any folder link), one that vanished is
// reported, and a file that turned into a pipe or a folder is reported without blocking.
TEST_F(FindRunTest, ATreeChangedBehindTheListingIsNeitherFollowedNorSkippedSilently) {
  namespace fs = std::filesystem;
  struct Case {
    const char* name;
    std::function<void(ScratchFolder&)> change;
    const char* events;
    int32_t others;
  };
  const std::vector<Case> cases = {
      {"folder turned into a link to the source folder",
       [](ScratchFolder& f) {
         fs::rename(f.Path("sub"), f.Path("moved"));
         fs::create_directory_symlink(f.path(), f.Path("sub"));
       },
       "row 1 a.txt:1:1:x:1\nrow 2 b.txt:1:1:x:1\n", 1},
      {"folder removed", [](ScratchFolder& f) { fs::remove_all(f.Path("sub")); },
       "row 1 a.txt:1:1:x:1\nrow 2 b.txt:1:1:x:1\n"
       "problem 0 sub: No such file or directory\n",
       0},
      {"file turned into a pipe",
       [](ScratchFolder& f) {
         fs::remove(f.Path("b.txt"));
         mkfifo(f.Path("b.txt").c_str(), 0600);
       },
       "row 1 a.txt:1:1:x:1\nproblem 1 b.txt: not a regular file\nrow 2 sub/c.txt:1:1:x:1\n", 0},
      {"file turned into a folder",
       [](ScratchFolder& f) {
         fs::remove(f.Path("b.txt"));
         fs::create_directory(f.Path("b.txt"));
       },
       "row 1 a.txt:1:1:x:1\nproblem 1 b.txt: not a regular file\nrow 2 sub/c.txt:1:1:x:1\n", 0},
  };
  for (const Case& c : cases) {
    for (int threads : {1, 2}) {
      ScratchFolder folder;
      folder.Write("a.txt", "x");
      folder.Write("b.txt", "x");
      folder.Write("sub/c.txt", "x");
      FindConditions conditions = ConditionsFor(folder.path(), u"x");
      conditions.sub_folders = true;
      conditions.max_size = 100;  // the size is taken too
      RecordingHost host(conditions);
      // Read 1 is the run's start, before the source folder is listed; read 2 is at a.txt.
      host.on_conditions = [&](int reads, RecordingHost&) {
        if (reads == 2) c.change(folder);
      };
      const FindRunResult result = RunOk(host, {.threads = threads});
      EXPECT_EQ(Events(host), c.events) << c.name << ", threads " << threads;
      EXPECT_EQ(result.other_entries, c.others) << c.name << ", threads " << threads;
    }
  }
}

// The engine's work limit ends the matching of one file (its rows so far stay) and is said as
// such, on the decoded text and on the bytes.
TEST_F(FindRunTest, ARegularExpressionTooComplexForAFileIsReportedAsSuch) {
  folder_.Write("a.txt", "ab\n" + std::string(40, 'a') + "b");
  folder_.Write("b.txt", "aa");
  const FindConditions conditions = Conditions(u"(a+)+$", "r");
  for (bool shortcuts : {true, false}) {
    RecordingHost host(conditions);
    const FindRunResult result = RunOk(host, {.byte_shortcuts = shortcuts});
    EXPECT_EQ(host.Transcript(), "b.txt:1:1:aa:1\n") << shortcuts;
    EXPECT_EQ(host.Problems(), "a.txt: regular expression too complex for this file\n");
    ASSERT_EQ(host.problems.size(), 1u);
    EXPECT_EQ(host.problems[0].kind, RunProblem::Kind::kPatternTooComplex);
    EXPECT_EQ(result.given_up_files, 1);
    EXPECT_EQ(result.too_complex_files, 1);
  }
}

// Memory that runs out while one file is searched (its decoded text is twice its bytes) gives up
// that file alone; the run goes on. Checked in a child process with a ceiling on its address
// space, which the sanitizers' own reservations do not fit under: not in their builds.
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
// In the child: the run under a ceiling of `room` bytes more than the process has mapped now;
// 0 when it went as expected.
int FindUnderACeiling(const FindConditions& conditions, rlim_t room) {
  long pages = 0;
  std::FILE* statm = std::fopen("/proc/self/statm", "r");
  if (statm == nullptr || std::fscanf(statm, "%ld", &pages) != 1) return 2;
  std::fclose(statm);
  const rlim_t ceiling = static_cast<rlim_t>(pages) * sysconf(_SC_PAGESIZE) + room;
  const rlimit limit{ceiling, ceiling};
  if (setrlimit(RLIMIT_AS, &limit) != 0) return 2;
  RecordingHost host(conditions);
  FindRunOptions options;
  options.threads = 1;
  FindRunResult result;
  const bool ok = RunFind(host, options, result).ok() && host.Transcript() == "b.txt:1:1:x:1\n" &&
                  host.Problems() == "a.txt: Out of memory\n" && result.given_up_files == 1;
  if (!ok) std::fprintf(stderr, "%s%s", host.Transcript().c_str(), host.Problems().c_str());
  return ok ? 0 : 1;
}

TEST_F(FindRunTest, AFileTooLargeForTheMemoryLeftIsGivenUpAlone) {
  constexpr off_t kLarge = off_t{200} << 20;
  const std::string large = folder_.Write("a.txt", "");
  ASSERT_EQ(::truncate(large.c_str(), kLarge), 0);  // sparse: costs no disk
  folder_.Write("b.txt", std::string("x\0", 2));    // "x" in UTF-16LE
  FindConditions conditions = Conditions();
  conditions.coding = "utf-16le";
  // Room for the file's bytes, not for its decoded text as well.
  EXPECT_EXIT(std::_Exit(FindUnderACeiling(conditions, kLarge * 4 / 3)),
              ::testing::ExitedWithCode(0), "");
}
#endif

// Files named as the atomic writer names its temporary files are never searched; those whose
// process is gone and that were last written long ago are removed, unless they are not plain
// files. A recent one may be another machine's, writing into a shared folder. Look-alikes are
// searched.
TEST_F(FindRunTest, TemporaryFilesOfTheAtomicWriterAreSkippedAndOrphansRemoved) {
  const pid_t gone = fork();
  if (gone == 0) _exit(0);
  ASSERT_GT(gone, 0);
  ASSERT_EQ(waitpid(gone, nullptr, 0), gone);
  const std::string live = TempFileName(getpid(), 1);
  const std::string orphan = TempFileName(gone, 2);
  const std::string linked = TempFileName(gone, 3);
  const std::string recent = TempFileName(gone, 4);
  for (const std::string& name :
       {live, orphan, "sub/" + orphan, recent, std::string("a.txt"),
        std::string(".quonder-12-x.tmp"), std::string("quonder-5-1.tmp")}) {
    folder_.Write(name, "x");
    if (name == recent) continue;
    const struct timespec long_ago[2] = {{0, UTIME_OMIT}, {time(nullptr) - 2 * 60 * 60, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, folder_.Path(name).c_str(), long_ago, 0), 0);
  }
  std::filesystem::create_symlink("a.txt", folder_.Path(linked));
  FindConditions conditions = Conditions();
  conditions.sub_folders = true;
  EXPECT_EQ(Paths(conditions), ".quonder-12-x.tmp\na.txt\nquonder-5-1.tmp\n");
  EXPECT_TRUE(folder_.Exists(live));
  EXPECT_FALSE(folder_.Exists(orphan));
  EXPECT_FALSE(folder_.Exists("sub/" + orphan));
  EXPECT_TRUE(folder_.Exists(recent));
  EXPECT_TRUE(folder_.Exists(linked));
}

// A stop ends the run at the first check after it: a hit in hand when a line feed was passed
// is dropped, a hit already handed over stays, and the next file is not started. Both ways of
// matching (the UTF-8 bytes, the decoded text) and plain and regular-expression mode.
TEST_F(FindRunTest, StopEndsTheRunAtTheNextCheck) {
  folder_.Write("a.txt", "x x\nx");
  folder_.Write("b.txt", "x");
  folder_.Write("sub/c.txt", "x");
  struct Case {
    const char* name;
    int at_check;  // 0: stop after the first row instead, before the next hit on its line
    const char* rows;
    bool reg_exp = false;
  };
  // Checks: the walk's start, after hits 1 and 2, the line feed before hit 3, after hit 3,
  // after a.txt.
  const std::vector<Case> cases = {
      {"at a line feed", 4, "a.txt:1:1:x:1\na.txt:1:3:x:3\n"},
      {"after a file", 6, "a.txt:1:1:x:1\na.txt:1:3:x:3\na.txt:2:1:x:5\n"},
      {"after a row", 0, "a.txt:1:1:x:1\n"},
      {"after a row, regex", 0, "a.txt:1:1:x:1\n", true},
  };
  for (const Case& c : cases) {
    for (bool shortcuts : {true, false}) {
      FindConditions conditions = Conditions(u"x", c.reg_exp ? "r" : "");
      conditions.sub_folders = true;
      RecordingHost host(conditions);
      if (c.at_check > 0) {
        host.stop_when = [&c](int checks) { return checks >= c.at_check; };
      } else {
        host.after_row = [](RecordingHost& h) { h.stop = true; };
      }
      const FindRunResult result = RunOk(host, {.byte_shortcuts = shortcuts});
      const std::string name = c.name + std::string(shortcuts ? ", bytes" : ", decoded");
      EXPECT_EQ(host.Transcript(), c.rows) << name;
      EXPECT_TRUE(result.stopped) << name;
      EXPECT_EQ(result.file_counter, 1) << name;
      EXPECT_EQ(result.found_files, 1) << name;
    }
  }
}

// The find text and its options are read before every search step: a change takes effect at
// the next hit, in the bytes and in the decoded text alike.
TEST_F(FindRunTest, ConditionsAreReadAtTheMomentOfUse) {
  folder_.Write("a.txt", "x y");
  folder_.Write("b.txt", "x y");
  folder_.Write("sub/c.txt", "x y");
  for (bool shortcuts : {true, false}) {
    FindConditions conditions = Conditions();
    conditions.sub_folders = true;
    RecordingHost host(conditions);
    // After the first row: look for Y ignoring case, and no longer descend into subfolders.
    host.after_row = [](RecordingHost& h) {
      if (h.rows.size() == 1) {
        h.Change([](FindConditions& c) {
          c.find_text = u"Y";
          c.ignore_case = true;
          c.sub_folders = false;
        });
      }
    };
    RunOk(host, {.byte_shortcuts = shortcuts});
    EXPECT_EQ(host.Transcript(), "a.txt:1:1:x:1\na.txt:1:3:y:3\nb.txt:1:3:y:3\n")
        << (shortcuts ? "bytes" : "decoded");
  }
}

TEST_F(FindRunTest, ACharsetRejectedDuringTheRunEndsItWithTheRowsSoFar) {
  folder_.Write("a.txt", "x");
  folder_.Write("b.txt", "x");
  RecordingHost host(Conditions());
  host.after_row = [](RecordingHost& h) { h.Change([](FindConditions& c) { c.coding = "bad"; }); };
  FindRunResult result;
  Status status = RunFind(host, FindRunOptions(), result);
  EXPECT_EQ(status.code(), Status::Code::kUnknownCharset);
  EXPECT_EQ(host.Transcript(), "a.txt:1:1:x:1\n");
}

}  // namespace
}  // namespace quonder
