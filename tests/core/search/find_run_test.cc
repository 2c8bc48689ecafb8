#include "core/search/find_run.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/search/find_test_support.h"
#include "core/text/utf_convert.h"
#include "support/plain_user.h"

namespace quonder {
namespace {

using find_test::ConditionsFor;
using find_test::RecordingHost;
using find_test::RunTranscript;
using find_test::ScratchFolder;

class FindRunTest : public ::testing::Test {
 protected:
  FindConditions Conditions(const std::u16string& find_text = u"x") {
    return ConditionsFor(folder_.path(), find_text);
  }
  // The relative paths of the rows, one per line.
  std::string Paths(const FindConditions& conditions) {
    RecordingHost host(conditions);
    FindRunResult result;
    Status status = RunFind(host, FindRunOptions(), result);
    if (!status.ok()) return "error: " + status.message();
    std::string paths;
    for (const ResultRow& row : host.rows) paths += row.path + "\n";
    return paths;
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

TEST_F(FindRunTest, LinksToFilesAreSearchedLinksToFoldersAndOddEntriesAreNot) {
  folder_.Write("real/target.txt", "x");
  namespace fs = std::filesystem;
  fs::create_symlink(folder_.Path("real/target.txt"), folder_.Path("file_link.txt"));
  fs::create_directory_symlink(folder_.Path("real"), folder_.Path("real/loop"));
  fs::create_symlink(folder_.Path("missing"), folder_.Path("broken_link"));
  ASSERT_EQ(mkfifo(folder_.Path("pipe").c_str(), 0600), 0);  // would block a reader
  FindConditions conditions = Conditions();
  conditions.sub_folders = true;
  EXPECT_EQ(Paths(conditions), "file_link.txt\nreal/target.txt\n");
}

TEST_F(FindRunTest, ExtensionFilterIsACaselessSubstringTest) {
  for (const char* name : {"a.txt", "a.TXT", "b.t", "c", "d.text", "e.", "f.xt.bak"}) {
    folder_.Write(name, "x");
  }
  FindConditions conditions = Conditions();
  conditions.extensions = u"txt";
  conditions.ext_behavior = ExtBehavior::kInclude;
  EXPECT_EQ(Paths(conditions), "a.TXT\na.txt\nb.t\n");
  conditions.ext_behavior = ExtBehavior::kExclude;
  EXPECT_EQ(Paths(conditions), "c\nd.text\ne.\nf.xt.bak\n");
  conditions.extensions = u"";
  conditions.ext_behavior = ExtBehavior::kInclude;  // Include with an empty list: nothing
  EXPECT_EQ(Paths(conditions), "");
  conditions.ext_behavior = static_cast<ExtBehavior>(2);  // no such behaviour: nothing
  conditions.extensions = u"txt";
  EXPECT_EQ(Paths(conditions), "");
  conditions.ext_behavior = ExtBehavior::kInclude;
  conditions.extensions = u"HTML;BAK";  // "t" of b.t is inside "HTML"
  EXPECT_EQ(Paths(conditions), "b.t\nf.xt.bak\n");
}

TEST_F(FindRunTest, SizeLimitIsStrictlyBelow) {
  folder_.Write("under.txt", std::string(10239, 'x'));
  folder_.Write("at.txt", std::string(10240, 'x'));
  FindConditions conditions = Conditions(u"xxxxxxxxxx");
  conditions.max_size = 10240;
  RecordingHost host(conditions);
  FindRunResult result;
  ASSERT_TRUE(RunFind(host, FindRunOptions(), result).ok());
  EXPECT_EQ(result.file_counter, 1);
  EXPECT_EQ(host.rows.front().path, "under.txt");
  conditions.max_size = 0;
  EXPECT_EQ(RunTranscript(conditions).size() > 0, true);
  FindRunResult unlimited;
  RunTranscript(conditions, true, &unlimited);
  EXPECT_EQ(unlimited.file_counter, 2);
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
  FindRunResult result;
  ASSERT_TRUE(RunFind(host, FindRunOptions(), result).ok());
  EXPECT_EQ(host.Transcript(), "a.txt:1:1:x:1\na.txt:1:3:x:3\na.txt:2:1:x:5\nsub/c.txt:1:1:x:1\n");
  for (size_t i = 0; i < host.rows.size(); ++i) EXPECT_EQ(host.rows[i].number, int64_t(i) + 1);
  EXPECT_EQ(result.file_counter, 3);  // filtered files are not read
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
  setenv("QUONDER_FIND_TEST_DIR", folder_.path().c_str(), 1);
  FindConditions conditions = Conditions();
  conditions.source_folder = "%QUONDER_FIND_TEST_DIR%";
  EXPECT_EQ(RunTranscript(conditions), "a.txt:1:1:x:1\n");
  unsetenv("QUONDER_FIND_TEST_DIR");
}

TEST_F(FindRunTest, UnreadableEntriesAreSkipped) {
  folder_.Write("a.txt", "x");
  folder_.Write("b.txt", "x");
  folder_.Write("locked/c.txt", "x");
  folder_.Write("open/d.txt", "x");
  chmod(folder_.Path("a.txt").c_str(), 0);
  chmod(folder_.Path("locked").c_str(), 0);
  FindConditions conditions = Conditions();
  conditions.sub_folders = true;
  FindRunResult result;
  std::string transcript;
  ASSERT_TRUE(
      testing::RunAsPlainUser([&] { transcript = RunTranscript(conditions, true, &result); }));
  EXPECT_EQ(transcript, "b.txt:1:1:x:1\nopen/d.txt:1:1:x:1\n");
  EXPECT_EQ(result.file_counter, 2);
  EXPECT_EQ(result.given_up_files, 1);
}

TEST_F(FindRunTest, StopEndsTheRunAfterTheFileInHand) {
  folder_.Write("a.txt", "x x");
  folder_.Write("b.txt", "x");
  folder_.Write("sub/c.txt", "x");
  FindConditions conditions = Conditions();
  conditions.sub_folders = true;
  RecordingHost host(conditions);
  // Checks: start of the walk, after hit 1, after hit 2, after file a.txt.
  host.stop_when = [](int checks) { return checks >= 4; };
  FindRunResult result;
  ASSERT_TRUE(RunFind(host, FindRunOptions(), result).ok());
  EXPECT_EQ(host.Transcript(), "a.txt:1:1:x:1\na.txt:1:3:x:3\n");
  EXPECT_TRUE(result.stopped);
  EXPECT_EQ(result.file_counter, 1);
  EXPECT_EQ(result.found_files, 1);
}

TEST_F(FindRunTest, StopAfterARowKeepsTheRowsFoundSoFar) {
  folder_.Write("a.txt", "x\nx\nx");
  folder_.Write("b.txt", "x");
  RecordingHost host(Conditions());
  host.after_row = [](RecordingHost& h) { h.stop = h.rows.size() >= 2; };
  FindRunResult result;
  ASSERT_TRUE(RunFind(host, FindRunOptions(), result).ok());
  EXPECT_EQ(host.Transcript(), "a.txt:1:1:x:1\na.txt:2:1:x:3\n");
  EXPECT_TRUE(result.stopped);
  EXPECT_EQ(result.found_files, 1);
}

TEST_F(FindRunTest, ConditionsAreReadAtTheMomentOfUse) {
  folder_.Write("a.txt", "x y");
  folder_.Write("b.txt", "x y");
  folder_.Write("sub/c.txt", "x y");
  FindConditions conditions = Conditions();
  conditions.sub_folders = true;
  RecordingHost host(conditions);
  // After the first row: look for y, and no longer descend into subfolders.
  host.after_row = [](RecordingHost& h) {
    if (h.rows.size() == 1) {
      h.Change([](FindConditions& c) {
        c.find_text = u"y";
        c.sub_folders = false;
      });
    }
  };
  FindRunResult result;
  ASSERT_TRUE(RunFind(host, FindRunOptions(), result).ok());
  EXPECT_EQ(host.Transcript(), "a.txt:1:1:x:1\na.txt:1:3:y:3\nb.txt:1:3:y:3\n");
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

TEST_F(FindRunTest, ReadsEachFileInTheChosenCharset) {
  folder_.Write("sjis.txt", "\x82\xA0\x82\xA2 x");  // あい x
  folder_.Write("utf16.txt", std::string("\xFF\xFE"
                                         "B\0x\0",
                                         6));
  FindConditions conditions = Conditions();
  conditions.coding = "shift_jis";
  EXPECT_EQ(RunTranscript(conditions).find("sjis.txt:1:4:x:4\n"), 0u);
  conditions.coding = "unicode";
  EXPECT_NE(RunTranscript(conditions).find("utf16.txt:1:2:x:2\n"), std::string::npos);
}

}  // namespace
}  // namespace quonder
