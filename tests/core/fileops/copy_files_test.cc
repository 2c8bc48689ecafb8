#include "core/fileops/copy_files.h"

#include <gtest/gtest.h>

#include "support/fake_file_ops_host.h"
#include "support/scoped_env.h"

namespace quonder {
namespace {

using testing::FakeHost;
using testing::RowsFor;
using testing::ScratchFolder;

class CopyFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host_.conditions.source_folder = folder_.Path("src");
    host_.conditions.copy_folder = folder_.Path("copy");
    std::filesystem::create_directories(folder_.Path("copy"));
  }

  ScratchFolder folder_;
  FakeHost host_;
};

TEST_F(CopyFilesTest, FlatCopyCountsACollisionAsOverwrittenAndTheLastFileWins) {
  folder_.Write("src/a/x.txt", "from a");
  folder_.Write("src/b/x.txt", "from b");
  folder_.Write("src/c.txt", "not selected");
  ResultRows rows = RowsFor({"a/x.txt", "b/x.txt", "c.txt"});

  CopyCounters counters =
      CopyToCopyFolder(host_, rows, {0, 1}, /*keep_structure=*/false, kCopyFilesSuffix);

  EXPECT_EQ(folder_.Contents("copy"), "x.txt=from b\n");
  EXPECT_EQ(counters.overwritten, 1);
  ASSERT_EQ(host_.messages.size(), 2u);
  EXPECT_EQ(host_.messages[0],
            "Find Text|33|Copying selected files to [Copy Folder].\n"
            "It will overwrite the files of same file name.");
  EXPECT_EQ(host_.messages[1], "Find Text|64|Copied 2 / 3\n1 files are overwritten.");
  EXPECT_EQ(host_.settings["CopyFolder"], folder_.Path("copy"));
  EXPECT_EQ(host_.panels[1], "Complete Copy");
  EXPECT_TRUE(host_.enabled[FileOpsCommand::kCopy]);
  EXPECT_TRUE(host_.enabled[FileOpsCommand::kXcopy]);
}

TEST_F(CopyFilesTest, KeepingStructureCreatesTheFoldersInAnEmptyCopyFolder) {
  folder_.Write("src/sub/deep/y.txt", "deep");
  folder_.Write("src/top.txt", "top");
  ResultRows rows = RowsFor({"sub/deep/y.txt", "top.txt"});

  CopyCounters counters =
      CopyToCopyFolder(host_, rows, {0, 1}, /*keep_structure=*/true, kCopyFoldersSuffix);

  EXPECT_EQ(folder_.Contents("copy"), "sub/deep/y.txt=deep\ntop.txt=top\n");
  EXPECT_EQ(counters.overwritten, 0);
  EXPECT_EQ(host_.messages[0],
            "Find Text|33|Copying selected files to [Copy Folder] keeping their Directory "
            "structure.\nIt will overwrite the files of same file name.");
  EXPECT_EQ(host_.LastMessage(), "Find Text|64|Copied 2 / 2\nNo files are overwritten.");
}

TEST_F(CopyFilesTest, SeveralRowsOfOneFileCopyItOnceAndCountEveryRow) {
  folder_.Write("src/a.txt", "a");
  ResultRows rows = RowsFor({"a.txt", "a.txt", "a.txt"});
  CopyCounters counters;
  CopySelectedFiles(host_, rows, {2, 0, 1, 1}, false, host_.conditions.source_folder,
                    host_.conditions.copy_folder, counters);
  EXPECT_EQ(counters.selected_rows, 3);
  EXPECT_EQ(counters.overwritten, 0);  // a second copy of the same file would count here
  EXPECT_EQ(host_.panels[5], "3");
}

TEST_F(CopyFilesTest, CancelOrNoSelectionCopiesNothing) {
  folder_.Write("src/a.txt", "a");
  CopyToCopyFolder(host_, RowsFor({"a.txt"}), {}, false, u".");
  EXPECT_EQ(host_.LastMessage(), "Find Text|64|Copied 0 / 1\nNo files are overwritten.");
  host_ = FakeHost();
  SetUp();
  host_.answers = {2};
  CopyCounters counters = CopyToCopyFolder(host_, RowsFor({"a.txt"}), {0}, false, u".");
  EXPECT_EQ(counters.selected_rows, 0);
  EXPECT_TRUE(folder_.Files("copy").empty());
  EXPECT_TRUE(host_.settings.empty());
  EXPECT_EQ(host_.panels.count(1), 0u);
  EXPECT_EQ(host_.messages.size(), 1u);
}

// A folder that has vanished: nothing is copied or made, every file fails, and the summary
// names the folder.
TEST_F(CopyFilesTest, AMissingFolderFailsEveryFileAndIsNamed) {
  folder_.Write("src/a.txt", "a");
  folder_.Write("src/b.txt", "b");
  for (const char* missing : {"source", "copy"}) {
    SCOPED_TRACE(missing);
    SetUp();
    std::string& folder = missing == std::string("source") ? host_.conditions.source_folder
                                                           : host_.conditions.copy_folder;
    folder = folder_.Path("gone");
    CopyCounters counters =
        CopyToCopyFolder(host_, RowsFor({"a.txt", "a.txt", "b.txt"}), {0, 1, 2}, true, u".");
    EXPECT_EQ(counters.failed_paths, (std::vector<std::string>{"a.txt", "b.txt"}));
    EXPECT_EQ(host_.LastMessage(),
              "Find Text|64|Copied 0 / 3\nNo files are overwritten.\n"
              "Failed to copy 2 files.\nThe folder " +
                  folder_.Path("gone") + " does not exist.");
  }
  EXPECT_FALSE(folder_.Exists("gone"));
  EXPECT_TRUE(folder_.Files("copy").empty());
}

// Links in the copy folder that lead out of it, to a file or through a folder: the copy fails
// there and writes nothing outside.
TEST_F(CopyFilesTest, ACopyNeverLandsOutsideTheCopyFolder) {
  folder_.Write("src/a.txt", "new a");
  folder_.Write("src/sub/b.txt", "new b");
  folder_.Write("outside/a.txt", "old a");
  std::filesystem::create_symlink(folder_.Path("outside/a.txt"), folder_.Path("copy/a.txt"));
  std::filesystem::create_directory_symlink(folder_.Path("outside"), folder_.Path("copy/sub"));

  CopyCounters counters = CopyToCopyFolder(host_, RowsFor({"a.txt", "sub/b.txt"}), {0, 1},
                                           /*keep_structure=*/true, kCopyFoldersSuffix);

  EXPECT_EQ(counters.failed_paths, (std::vector<std::string>{"a.txt", "sub/b.txt"}));
  EXPECT_EQ(folder_.Contents("outside"), "a.txt=old a\n");
}

TEST_F(CopyFilesTest, ARefusedCopyCountsAsFailedAndTheCopyGoesOn) {
  folder_.Write("src/sub/a.txt", "a");
  folder_.Write("src/b.txt", "b");
  folder_.Write("copy/sub", "a file where the folder should go");
  ResultRows rows = RowsFor({"sub/a.txt", "b.txt"});

  CopyCounters counters = CopyToCopyFolder(host_, rows, {0, 1}, true, kCopyFoldersSuffix);

  EXPECT_EQ(counters.failed, 1);
  EXPECT_EQ(counters.failed_paths, std::vector<std::string>{"sub/a.txt"});
  ASSERT_EQ(counters.failed_reasons.size(), 1u);
  EXPECT_NE(counters.failed_reasons[0].find("Not a directory"), std::string::npos)
      << counters.failed_reasons[0];
  EXPECT_EQ(folder_.Contents("copy"), "b.txt=b\nsub=a file where the folder should go\n");
  EXPECT_EQ(host_.LastMessage(),
            "Find Text|64|Copied 2 / 2\nNo files are overwritten.\nFailed to copy 1 files.");
}

TEST_F(CopyFilesTest, CopyingAFileOntoItselfLeavesItWhole) {
  folder_.Write("src/a.txt", "precious");
  host_.conditions.copy_folder = host_.conditions.source_folder;
  CopyCounters counters = CopyToCopyFolder(host_, RowsFor({"a.txt"}), {0}, false, u".");
  EXPECT_EQ(folder_.Read("src/a.txt"), "precious");
  EXPECT_EQ(counters.overwritten, 1);
  EXPECT_EQ(counters.failed, 0);
}

TEST_F(CopyFilesTest, StopEndsTheLoopBeforeTheNextRowAndTheSummaryStillShows) {
  for (const char* name : {"a.txt", "b.txt", "c.txt"})
    folder_.Write(std::string("src/") + name, name);
  host_.stop_at = 2;  // asked before each row: the second row is not reached
  CopyCounters counters =
      CopyToCopyFolder(host_, RowsFor({"a.txt", "b.txt", "c.txt"}), {0, 1, 2}, false, u".");
  EXPECT_EQ(folder_.Files("copy"), std::vector<std::string>{"a.txt"});
  EXPECT_EQ(counters.selected_rows, 1);
  EXPECT_EQ(host_.LastMessage(), "Find Text|64|Copied 1 / 3\nNo files are overwritten.");
  EXPECT_EQ(host_.transcript.back(), "message 64");
}

TEST_F(CopyFilesTest, FoldersAreExpandedAndTheCopyFolderIsSavedAsEntered) {
  folder_.Write("src/a.txt", "a");
  testing::ScopedEnv env("QUONDER_COPY_TEST_ROOT", folder_.path());
  host_.conditions.source_folder = "%QUONDER_COPY_TEST_ROOT%/src";
  host_.conditions.copy_folder = "%QUONDER_COPY_TEST_ROOT%/copy";
  CopyToCopyFolder(host_, RowsFor({"a.txt"}), {0}, false, u".");
  EXPECT_EQ(folder_.Read("copy/a.txt"), "a");
  EXPECT_EQ(host_.settings["CopyFolder"], "%QUONDER_COPY_TEST_ROOT%/copy");
}

}  // namespace
}  // namespace quonder
