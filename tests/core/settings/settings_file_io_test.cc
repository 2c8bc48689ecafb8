// A settings path may name anything. Reads never hang or take unbounded memory and writes never
// replace what is not the user's plain file; a folder that cannot take a temporary file still
// gets its file saved; a lock held by someone else delays an edit only briefly.
#include "core/settings/settings_file_io.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "core/settings/folder_lock.h"
#include "core/settings/ini_file_common.h"
#include "support/plain_user.h"
#include "support/scratch_folder.h"

namespace quonder {
namespace {

namespace fs = std::filesystem;

class SettingsFileIoTest : public ::testing::Test {
 protected:
  std::string Get(const std::string& file) {
    std::string value;
    GetIniString("S", "k", "<default>", value, file);
    return value;
  }
  ino_t Inode(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
  }

  testing::ScratchFolder scratch_;
};

// Each is read as empty with its reason, and neither written nor replaced.
TEST_F(SettingsFileIoTest, WhatIsNoPlainFileOfAFewMegabytesIsLeftAlone) {
  const std::string fifo = scratch_.Path("fifo.ini");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string huge = scratch_.Write("huge.ini", "[S]\nk=1\n");
  fs::resize_file(huge, kMaxSettingsFileBytes + 1);  // sparse: cheap to make
  const std::string folder = scratch_.Path("folder.ini");
  fs::create_directory(folder);
  struct Case {
    std::string path;
    const char* reason;
  };
  const std::vector<Case> cases = {{fifo, "not a regular file"},
                                   {"/dev/zero", "not a regular file"},
                                   {folder, "not a regular file"},
                                   {huge, "larger than 16 MB"}};
  for (const Case& c : cases) {
    std::string bytes = "stale";
    const Status read = ReadSettingsFile(c.path, bytes);
    EXPECT_EQ(read.code(), Status::Code::kIoError) << c.path;
    EXPECT_NE(read.message().find(c.reason), std::string::npos) << read.message();
    EXPECT_EQ(bytes, "");
    EXPECT_EQ(Get(c.path), "<default>") << c.path;
    Status failure;
    EXPECT_FALSE(WriteIniString("S", "k", "2", c.path, &failure)) << c.path;
    EXPECT_NE(failure.message().find(c.reason), std::string::npos) << failure.message();
    EXPECT_FALSE(DeleteIniKey("S", "k", c.path)) << c.path;
  }
  struct stat st;
  ASSERT_EQ(::stat(fifo.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  EXPECT_EQ(fs::file_size(huge), kMaxSettingsFileBytes + 1);
  EXPECT_TRUE(fs::is_directory(folder));
}

// A link the user made stays a link, also one whose file is not there yet (a dotfile kept
// elsewhere): the file is written, or made, where the link leads.
TEST_F(SettingsFileIoTest, ALinkIsFollowedAndStaysALink) {
  scratch_.Write("real/q.ini", "[S]\nk=1\n");
  struct Case {
    const char* link;
    const char* leads_to;  // relative to the link's folder
    const char* file;      // what the write makes or changes, relative to the scratch folder
    const char* before;    // the file's content before the write, "" when missing
  };
  const std::vector<Case> cases = {
      {"link.ini", "real/q.ini", "real/q.ini", "[S]\nk=1\n"},
      {"sub/dangling.ini", "../real/new.ini", "real/new.ini", ""},
      {"chain.ini", "sub/dangling.ini", "real/new.ini", ""},
  };
  for (const Case& c : cases) {
    const std::string link = scratch_.Path(c.link);
    fs::create_directories(fs::path(link).parent_path());
    fs::create_symlink(c.leads_to, link);
    EXPECT_EQ(Get(link), *c.before ? "1" : "<default>") << c.link;
    ASSERT_TRUE(WriteIniString("S", "k", "2", link)) << c.link;
    EXPECT_TRUE(fs::is_symlink(link)) << c.link;
    EXPECT_EQ(scratch_.Read(c.file), "[S]\nk=2\n") << c.link;
    EXPECT_TRUE(DeleteIniKey("S", "k", link)) << c.link;
    EXPECT_TRUE(fs::is_symlink(link)) << c.link;
    ASSERT_TRUE(fs::remove(scratch_.Path(c.file))) << c.link;  // missing again for the next
  }
  // Leading into a missing folder: nothing to write to, and the link is kept.
  const std::string stray = scratch_.Path("stray.ini");
  fs::create_symlink("gone/q.ini", stray);
  Status failure;
  EXPECT_FALSE(WriteIniString("S", "k", "2", stray, &failure));
  EXPECT_NE(failure.message().find("gone/q.ini"), std::string::npos) << failure.message();
  EXPECT_TRUE(fs::is_symlink(stray));
}

TEST_F(SettingsFileIoTest, AReadOnlyFileIsNotWrittenEvenWhereItCouldBe) {
  const std::string file = scratch_.Write("Quonder.ini", "[S]\nk=1\n");
  fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  Status failure;
  EXPECT_FALSE(WriteIniString("S", "k", "2", file, &failure));
  EXPECT_NE(failure.message().find("read-only"), std::string::npos) << failure.message();
  EXPECT_EQ(scratch_.Read("Quonder.ini"), "[S]\nk=1\n");
}

// No temporary file can be made beside it: the file itself is rewritten, in place.
TEST_F(SettingsFileIoTest, AFileInAReadOnlyFolderIsWrittenInPlace) {
  const std::string file = scratch_.Write("ro/Quonder.ini", "[S]\nk=1\nlonger=line\n");
  const std::string missing = scratch_.Path("ro/New.ini");
  const ino_t inode = Inode(file);
  fs::permissions(scratch_.Path("ro"), fs::perms::owner_read | fs::perms::owner_exec);
  bool written = false, created = true;
  ASSERT_TRUE(testing::RunAsPlainUser([&] {
    written = WriteIniString("S", "k", "2", file) && DeleteIniKey("S", "longer", file);
    created = WriteIniString("S", "k", "1", missing);
  }));
  EXPECT_TRUE(written);
  EXPECT_EQ(scratch_.Read("ro/Quonder.ini"), "[S]\nk=2\n");
  EXPECT_EQ(Inode(file), inode);
  EXPECT_FALSE(created);
  EXPECT_FALSE(scratch_.Exists("ro/New.ini"));
}

// Every name of the file sees the edit, not only the one it was made through.
TEST_F(SettingsFileIoTest, AFileWithOtherHardLinksIsWrittenInPlace) {
  const std::string file = scratch_.Write("Quonder.ini", "[S]\nk=1\n");
  const std::string other = scratch_.Path("other/Copy.ini");
  fs::create_directories(fs::path(other).parent_path());
  fs::create_hard_link(file, other);
  ASSERT_TRUE(WriteIniString("S", "k", "2", file));
  EXPECT_EQ(scratch_.Read("other/Copy.ini"), "[S]\nk=2\n");
  EXPECT_EQ(Inode(file), Inode(other));
  ASSERT_TRUE(DeleteIniKey("S", "k", other));
  EXPECT_EQ(scratch_.Read("Quonder.ini"), "[S]\n");
}

// Anyone who can read a folder can hold its lock; an edit then waits about a second, no more.
TEST_F(SettingsFileIoTest, ALockHeldByAnotherProcessDelaysTheEditOnlyBriefly) {
  const std::string file = scratch_.Write("Quonder.ini", "[S]\nk=1\n");
  int locked[2], release[2];
  ASSERT_EQ(::pipe(locked), 0);
  ASSERT_EQ(::pipe(release), 0);
  const pid_t holder = ::fork();
  ASSERT_GE(holder, 0);
  if (holder == 0) {
    // Only async-signal-safe calls here: take the lock, say so, hold it until the parent's
    // end of `release` closes.
    ::close(release[1]);
    const int fd = ::open(scratch_.path().c_str(), O_RDONLY | O_DIRECTORY);
    char byte = fd >= 0 && ::flock(fd, LOCK_EX) == 0 ? 'L' : 'x';
    (void)!::write(locked[1], &byte, 1);
    (void)!::read(release[0], &byte, 1);
    ::_exit(0);
  }
  ::close(locked[1]);
  ::close(release[0]);
  char byte = 0;
  ASSERT_EQ(::read(locked[0], &byte, 1), 1);
  ASSERT_EQ(byte, 'L');

  EXPECT_FALSE(FolderLock(file, std::chrono::milliseconds(0)).locked());
  EXPECT_TRUE(WriteIniString("S", "k", "2", file));  // after the timeout, without the lock
  EXPECT_EQ(Get(file), "2");

  ::close(release[1]);
  int status = 0;
  ::waitpid(holder, &status, 0);
  ::close(locked[0]);
  EXPECT_TRUE(FolderLock(file).locked());
}

}  // namespace
}  // namespace quonder
