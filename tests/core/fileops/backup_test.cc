#include "core/fileops/backup.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/fileops/private_folder.h"
#include "support/fake_file_ops_host.h"
#include "support/plain_user.h"

namespace quonder {
namespace {

namespace fs = std::filesystem;
using testing::FakeHost;
using testing::RowsFor;
using testing::ScratchFolder;

class BackupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host_.conditions.source_folder = folder_.Path("src");
    host_.conditions.backup_folder = testing::MakePrivate(folder_, "backup");
    folder_.Write("src/sub/a.txt", "a1");
    folder_.Write("src/b.txt", "b1");
    folder_.Write("src/c.txt", "c1");
  }

  ScratchFolder folder_;
  FakeHost host_;
};

TEST_F(BackupTest, KeepsTheRelativeLayoutOfTheSelectedFilesOnly) {
  folder_.Write("backup/old/older.txt", "an older generation");
  ResultRows rows = RowsFor({"sub/a.txt", "sub/a.txt", "b.txt", "c.txt"});

  CopyCounters counters = RunBackupStep(host_, rows, {0, 1, 2}, {});

  EXPECT_EQ(folder_.Contents("backup"), "b.txt=b1\nsub/a.txt=a1\n");
  EXPECT_EQ(counters.failed, 0);
  EXPECT_EQ(host_.panels[1], "Start Backup");
  EXPECT_EQ(host_.panels[5], "3");
  EXPECT_TRUE(IsPrivateFolder(folder_.Path("backup")));  // emptied, not made anew
}

TEST_F(BackupTest, AFolderTheUserNamedKeepsItsOtherFiles) {
  host_.conditions.backup_folder = folder_.Path("mine");
  folder_.Write("mine/mine.txt", "keep me");
  RunBackupStep(host_, RowsFor({"b.txt"}), {0}, {.private_folder = false});
  EXPECT_EQ(folder_.Files("mine"), (std::vector<std::string>{"b.txt", "mine.txt"}));
}

// Every way the backup folder can be unfit: each selected file counts as failed, with why, and
// nothing is deleted, copied into it or through it.
TEST_F(BackupTest, AnUnfitBackupFolderFailsEveryFileAndTouchesNothing) {
  folder_.Write("elsewhere/keep.txt", "keep");
  folder_.Write("blocker", "a file where the folder should go");
  fs::create_directory_symlink(folder_.Path("elsewhere"), folder_.Path("link"));
  const std::string open_to_all = testing::MakePrivate(folder_, "open");
  fs::permissions(open_to_all, fs::perms::all);
  const std::string kHolds = "holds files the backup would keep";
  const std::string kUnfit = "is not private or cannot be emptied";
  const struct {
    const char* name;
    std::string backup_folder;
    std::string why;
  } cases[] = {
      {"holds the source folder", folder_.path(), kHolds},
      {"holds a selected file", folder_.Path("src/sub"), kHolds},
      {"cannot be made", folder_.Path("blocker/backup"), kUnfit},
      {"a link to a folder", folder_.Path("link"), kUnfit},
      {"writable by others", open_to_all, kUnfit},
      {"missing", folder_.Path("vanished"), kUnfit},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    host_.conditions.backup_folder = c.backup_folder;
    CopyCounters counters =
        RunBackupStep(host_, RowsFor({"sub/a.txt", "sub/a.txt", "b.txt"}), {0, 1, 2}, {});
    EXPECT_EQ(counters.failed, 2);
    EXPECT_EQ(counters.failed_paths, (std::vector<std::string>{"sub/a.txt", "b.txt"}));
    const std::string reason = "the backup folder " + c.backup_folder + " " + c.why;
    EXPECT_EQ(counters.failed_reasons, (std::vector<std::string>{reason, reason}));
  }
  EXPECT_EQ(folder_.Read("src/sub/a.txt"), "a1");
  EXPECT_EQ(folder_.Files("elsewhere"), std::vector<std::string>{"keep.txt"});
  EXPECT_TRUE(folder_.Files("open").empty());
  EXPECT_FALSE(folder_.Exists("vanished"));

  // Restore from a folder that holds the source would copy it onto itself, one level down.
  host_.conditions.backup_folder = folder_.path();
  EXPECT_EQ(Restore(host_).restored, 0);
  EXPECT_EQ(host_.panels[1], "Failed Undo");
  EXPECT_FALSE(folder_.Exists("src/src"));
}

// A file that was deleted comes back with its own permission bits.
TEST_F(BackupTest, RestoreTwiceGivesTheSameFilesAndLeavesOthersAlone) {
  ASSERT_EQ(::chmod(folder_.Path("src/sub/a.txt").c_str(), 0750), 0);
  RunBackupStep(host_, RowsFor({"sub/a.txt", "b.txt"}), {0, 1}, {});
  folder_.Write("src/b.txt", "b2");
  folder_.Write("src/c.txt", "c2");  // not in the backup
  fs::remove_all(folder_.Path("src/sub"));

  for (int round = 0; round < 2; ++round) {
    RestoreResult result = Restore(host_);
    EXPECT_EQ(result.restored, 2);
    EXPECT_EQ(result.failed, 0);
    EXPECT_EQ(folder_.Contents("src"), "b.txt=b1\nc.txt=c2\nsub/a.txt=a1\n");
    EXPECT_EQ(fs::status(folder_.Path("src/sub/a.txt")).permissions(), fs::perms(0750));
    EXPECT_EQ(host_.panels[1], "Complete Undo");
    EXPECT_TRUE(host_.messages.empty());
  }
  EXPECT_EQ(folder_.Contents("backup"), "b.txt=b1\nsub/a.txt=a1\n");
}

// What Restore must not write back: each case fails alone, is counted and named, and the
// others are restored. A file that needs no write (a link out that the replace run left
// alone) is no failure.
TEST_F(BackupTest, RestoreWritesOnlyInsideTheSourceAndNeverThroughTheBackupsLinks) {
  folder_.Write("outside/secret.txt", "s1");
  folder_.Write("outside/same.txt", "same");
  fs::create_symlink(folder_.Path("outside/same.txt"), folder_.Path("src/same-out.txt"));
  folder_.Write("src/real.txt", "r1");
  fs::create_symlink(folder_.Path("src/real.txt"), folder_.Path("src/alias.txt"));
  fs::create_symlink(folder_.Path("outside/secret.txt"), folder_.Path("src/out.txt"));
  fs::create_hard_link(folder_.Path("src/c.txt"), folder_.Path("src/c-too.txt"));
  RunBackupStep(host_, RowsFor({"alias.txt", "b.txt", "c.txt", "out.txt", "same-out.txt"}),
                {0, 1, 2, 3, 4}, {});
  folder_.Write("src/real.txt", "r2");
  folder_.Write("outside/secret.txt", "s2");
  folder_.Write("src/b.txt", "b2");
  folder_.Write("src/c.txt", "c2");  // through one of its two names
  // A link that appeared in the backup folder: it must not be followed.
  fs::create_symlink(folder_.Path("outside/secret.txt"), folder_.Path("backup/planted.txt"));

  RestoreResult result = Restore(host_);

  EXPECT_EQ(folder_.Read("src/real.txt"), "r1");  // a link inside the source is written through
  EXPECT_TRUE(fs::is_symlink(folder_.Path("src/alias.txt")));
  EXPECT_EQ(folder_.Read("src/b.txt"), "b1");
  EXPECT_EQ(folder_.Read("outside/secret.txt"), "s2");
  EXPECT_EQ(folder_.Read("src/c.txt"), "c2");
  EXPECT_EQ(folder_.Read("src/c-too.txt"), "c2");
  EXPECT_FALSE(folder_.Exists("src/planted.txt"));
  std::vector<std::string> failed = result.failed_paths;
  std::sort(failed.begin(), failed.end());
  EXPECT_EQ(failed, (std::vector<std::string>{"c.txt", "out.txt", "planted.txt"}));
  EXPECT_EQ(folder_.Read("outside/same.txt"), "same");
  EXPECT_EQ(host_.LastMessage(), "Find Text Alarm|48|Restored 3 / 6\nFailed to restore 3 file(s).");
}

// Restore writes no file the user marked read-only, nor another user's file this user may not
// write (a rename in the folder could, and would make it theirs).
TEST_F(BackupTest, RestoreLeavesReadOnlyFilesAndSaysSo) {
  folder_.Write("src/d.txt", "d1");
  RunBackupStep(host_, RowsFor({"b.txt", "c.txt", "d.txt"}), {0, 1, 2}, {});
  folder_.Write("src/b.txt", "b2");
  folder_.Write("src/c.txt", "c2");
  folder_.Write("src/d.txt", "d2");
  ::chmod(folder_.Path("src/b.txt").c_str(), 0444);
  ASSERT_EQ(::chown(folder_.Path("src/d.txt").c_str(), 65534, 65534), 0) << "needs root";

  RestoreResult result;
  ASSERT_TRUE(testing::RunAsPlainUser([&] { result = Restore(host_); }));

  EXPECT_EQ(result.failed_paths, (std::vector<std::string>{"b.txt", "d.txt"}));
  EXPECT_EQ(folder_.Contents("src"), "b.txt=b2\nc.txt=c1\nd.txt=d2\nsub/a.txt=a1\n");
  EXPECT_EQ(host_.panels[1], "Failed Undo");
  EXPECT_EQ(host_.LastMessage(), "Find Text Alarm|48|Restored 1 / 3\nFailed to restore 2 file(s).");
}

TEST_F(BackupTest, RestoreFromAnUnusableFolderSaysSo) {
  fs::create_directory_symlink(folder_.Path("backup"), folder_.Path("link"));
  for (const char* name : {"never-made", "link"}) {
    host_.conditions.backup_folder = folder_.Path(name);
    EXPECT_EQ(Restore(host_).restored, 0);
    EXPECT_EQ(host_.LastMessage(), "Find Text Alarm|48|Cannot restore from the backup folder " +
                                       folder_.Path(name) + ".");
  }
}

}  // namespace
}  // namespace quonder
