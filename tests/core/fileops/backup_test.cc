#include "core/fileops/backup.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "core/fileops/file_ops_test_support.h"

namespace quonder {
namespace {

using testing::FakeHost;
using testing::ScratchFolder;

ResultRows RowsFor(const std::vector<std::string>& paths) {
  ResultRows rows;
  for (const std::string& path : paths) {
    ResultRow row;
    row.path = path;
    row.found.assign(1, u'x');  // a string literal here trips a GCC 12 -Wrestrict false alarm
    row.pointer = 1;
    rows.Append(row);
  }
  return rows;
}

class BackupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host_.conditions.source_folder = folder_.Path("src");
    host_.conditions.backup_folder = folder_.Path("backup");
    folder_.Write("src/sub/a.txt", "a1");
    folder_.Write("src/b.txt", "b1");
    folder_.Write("src/c.txt", "c1");
  }

  ScratchFolder folder_;
  FakeHost host_;
};

TEST_F(BackupTest, KeepsTheRelativeLayoutOfTheSelectedFilesOnly) {
  folder_.Write("backup/old.txt", "an older generation");
  ResultRows rows = RowsFor({"sub/a.txt", "sub/a.txt", "b.txt", "c.txt"});

  CopyCounters counters = RunBackupStep(host_, rows, {0, 1, 2}, {});

  EXPECT_EQ(folder_.Files("backup"), (std::vector<std::string>{"b.txt", "sub/a.txt"}));
  EXPECT_EQ(folder_.Read("backup/sub/a.txt"), "a1");
  EXPECT_EQ(counters.failed, 0);
  EXPECT_EQ(host_.panels[1], "Start Backup");
  EXPECT_EQ(host_.panels[5], "3");
}

TEST_F(BackupTest, AFolderTheUserNamedKeepsItsOtherFiles) {
  folder_.Write("backup/mine.txt", "keep me");
  RunBackupStep(host_, RowsFor({"b.txt"}), {0}, {.fresh_folder = false});
  EXPECT_EQ(folder_.Files("backup"), (std::vector<std::string>{"b.txt", "mine.txt"}));
}

TEST_F(BackupTest, RefusesABackupFolderThatHoldsTheSourceAndDeletesNothing) {
  host_.conditions.backup_folder = folder_.path();
  CopyCounters counters =
      RunBackupStep(host_, RowsFor({"sub/a.txt", "sub/a.txt", "b.txt"}), {0, 1, 2}, {});
  EXPECT_EQ(counters.failed, 2);
  EXPECT_EQ(counters.failed_paths, (std::vector<std::string>{"sub/a.txt", "b.txt"}));
  EXPECT_EQ(folder_.Read("src/sub/a.txt"), "a1");
  EXPECT_EQ(folder_.Read("src/b.txt"), "b1");

  // Restore from such a folder would copy the source onto itself, one level down.
  RestoreResult restored = Restore(host_);
  EXPECT_EQ(restored.restored, 0);
  EXPECT_EQ(host_.panels[1], "Failed Undo");
  EXPECT_FALSE(folder_.Exists("src/src"));
}

TEST_F(BackupTest, RefusesWhenASelectedFileLiesInsideTheBackupFolder) {
  // The backup folder is below the source folder and a find reached into it.
  host_.conditions.backup_folder = folder_.Path("src/sub");
  CopyCounters counters = RunBackupStep(host_, RowsFor({"sub/a.txt"}), {0}, {});
  EXPECT_EQ(counters.failed, 1);
  EXPECT_EQ(folder_.Read("src/sub/a.txt"), "a1");

  // Files elsewhere in the source folder may be backed up there.
  counters = RunBackupStep(host_, RowsFor({"b.txt"}), {0}, {.fresh_folder = false});
  EXPECT_EQ(counters.failed, 0);
  EXPECT_EQ(folder_.Read("src/sub/b.txt"), "b1");
}

TEST_F(BackupTest, ABackupFolderThatCannotBeCreatedFailsEveryFile) {
  folder_.Write("blocker", "a file where the folder should go");
  host_.conditions.backup_folder = folder_.Path("blocker/backup");
  CopyCounters counters = RunBackupStep(host_, RowsFor({"b.txt", "c.txt"}), {0, 1}, {});
  EXPECT_EQ(counters.failed, 2);
}

TEST_F(BackupTest, RestoreTwiceGivesTheSameFilesAndLeavesOthersAlone) {
  RunBackupStep(host_, RowsFor({"sub/a.txt", "b.txt"}), {0, 1}, {});
  folder_.Write("src/sub/a.txt", "a2");
  folder_.Write("src/b.txt", "b2");
  folder_.Write("src/c.txt", "c2");  // not in the backup
  std::filesystem::remove_all(folder_.Path("src/sub"));

  for (int round = 0; round < 2; ++round) {
    RestoreResult result = Restore(host_);
    EXPECT_EQ(result.restored, 2);
    EXPECT_EQ(result.failed, 0);
    EXPECT_EQ(folder_.Read("src/sub/a.txt"), "a1");
    EXPECT_EQ(folder_.Read("src/b.txt"), "b1");
    EXPECT_EQ(folder_.Read("src/c.txt"), "c2");
    EXPECT_EQ(host_.panels[1], "Complete Undo");
    EXPECT_TRUE(host_.messages.empty());
  }
  EXPECT_EQ(folder_.Files("backup"), (std::vector<std::string>{"b.txt", "sub/a.txt"}));
}

TEST_F(BackupTest, RestoreWritesBackThroughASymbolicLink) {
  folder_.Write("elsewhere/real.txt", "r1");
  std::filesystem::create_symlink(folder_.Path("elsewhere/real.txt"), folder_.Path("src/link.txt"));
  RunBackupStep(host_, RowsFor({"link.txt"}), {0}, {});
  folder_.Write("elsewhere/real.txt", "r2");

  Restore(host_);

  EXPECT_TRUE(std::filesystem::is_symlink(folder_.Path("src/link.txt")));
  EXPECT_EQ(folder_.Read("elsewhere/real.txt"), "r1");
}

TEST_F(BackupTest, RestoreReportsWhatItCouldNotWriteBack) {
  RunBackupStep(host_, RowsFor({"b.txt", "c.txt"}), {0, 1}, {});
  folder_.Write("src/b.txt", "b2");
  folder_.Write("src/c.txt", "c2");
  ::chmod(folder_.Path("src/b.txt").c_str(), 0444);

  RestoreResult result = Restore(host_);

  EXPECT_EQ(result.failed_paths, std::vector<std::string>{"b.txt"});
  EXPECT_EQ(folder_.Read("src/b.txt"), "b2");
  EXPECT_EQ(folder_.Read("src/c.txt"), "c1");
  EXPECT_EQ(host_.panels[1], "Failed Undo");
  EXPECT_EQ(host_.LastMessage(), "Find Text Alarm|48|Restored 1 / 2\nFailed to restore 1 file(s).");
}

TEST_F(BackupTest, RestoreWithoutABackupFolderSaysSo) {
  host_.conditions.backup_folder = folder_.Path("never-made");
  RestoreResult result = Restore(host_);
  EXPECT_EQ(result.restored, 0);
  EXPECT_EQ(host_.LastMessage(), "Find Text Alarm|48|Cannot restore from the backup folder " +
                                     folder_.Path("never-made") + ".");
  EXPECT_EQ(folder_.Read("src/b.txt"), "b1");
}

}  // namespace
}  // namespace quonder
