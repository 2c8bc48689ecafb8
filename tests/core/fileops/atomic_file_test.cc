#include "core/fileops/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "support/plain_user.h"
#include "support/scratch_folder.h"

namespace quonder {
namespace {

namespace fs = std::filesystem;
using testing::ScratchFolder;

mode_t ModeOf(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

TEST(AtomicFileTest, RewriteKeepsPermissionBitsNewFilesFollowTheUmask) {
  ScratchFolder folder;
  const std::string path = folder.Write("script.sh", "old");
  ASSERT_EQ(::chmod(path.c_str(), 0751), 0);
  ASSERT_TRUE(WriteFileAtomically(path, "new content").ok());
  EXPECT_EQ(ModeOf(path), 0751u);
  EXPECT_EQ(folder.Read("script.sh"), "new content");
  EXPECT_EQ(folder.Files(), std::vector<std::string>{"script.sh"});
  const mode_t old_mask = ::umask(027);  // a new file follows the umask
  const Status status = WriteFileAtomically(folder.Path("new.txt"), "x");
  ::umask(old_mask);
  ASSERT_TRUE(status.ok());
  EXPECT_EQ(ModeOf(folder.Path("new.txt")), 0640u);
}

TEST(AtomicFileTest, RewriteThroughLinksKeepsThemAndChangesTheFileTheyLeadTo) {
  // settings.ini -> shared/link.ini -> shared/real/settings.ini, the links relative
  ScratchFolder folder;
  folder.Write("shared/real/settings.ini", "old");
  fs::create_symlink("real/settings.ini", folder.Path("shared/link.ini"));
  fs::create_symlink("shared/link.ini", folder.Path("settings.ini"));

  ASSERT_TRUE(WriteFileAtomically(folder.Path("settings.ini"), "new").ok());
  EXPECT_TRUE(fs::is_symlink(folder.Path("settings.ini")));
  EXPECT_TRUE(fs::is_symlink(folder.Path("shared/link.ini")));
  EXPECT_EQ(folder.Read("shared/real/settings.ini"), "new");
  EXPECT_EQ(folder.Files(), (std::vector<std::string>{"settings.ini", "shared/link.ini",
                                                      "shared/real/settings.ini"}));
}

// A folder that takes no new file fails also a file that is writable itself: the message says
// that the folder refused.
TEST(AtomicFileTest, FailuresNameThePathAndLeaveNothingBehind) {
  ScratchFolder folder;
  const std::string path = folder.Path("no/such/folder/file.txt");
  Status status = WriteFileAtomically(path, "x");
  EXPECT_EQ(status.code(), Status::Code::kIoError);
  EXPECT_NE(status.message().find(path), std::string::npos);
  const std::string locked = folder.Write("locked/a.txt", "old");
  ASSERT_EQ(::chmod(folder.Path("locked").c_str(), 0555), 0);
  ASSERT_TRUE(testing::RunAsPlainUser([&] { status = WriteFileAtomically(locked, "new"); }));
  EXPECT_EQ(status.message(), "Cannot write \"" + locked +
                                  "\": no temporary file can be made in \"" +
                                  folder.Path("locked") + "\": Permission denied");
  EXPECT_EQ(folder.Read("locked/a.txt"), "old");
  ::chmod(folder.Path("locked").c_str(), 0755);
  std::string bytes = "stale";
  EXPECT_EQ(ReadWholeFile(folder.Path("absent"), bytes).code(), Status::Code::kNotFound);
  EXPECT_TRUE(bytes.empty());
  EXPECT_EQ(folder.Files(), std::vector<std::string>{"locked/a.txt"});
  // What stands in a file's place may be no file: a FIFO with no writer must not hang the
  // read, nor a device that never ends fill the memory.
  ASSERT_EQ(::mkfifo(folder.Path("fifo").c_str(), 0600), 0);
  for (const std::string& other : {folder.Path("fifo"), std::string("/dev/zero")}) {
    status = ReadWholeFile(other, bytes);
    EXPECT_EQ(status.message(), "Cannot read \"" + other + "\": not a regular file");
    EXPECT_TRUE(bytes.empty());
  }
}

// Until Commit renames it, nothing of the new content reaches the target: an abandoned writer
// and a check that says no both leave the old file and no temporary file.
TEST(AtomicFileTest, PiecesReachTheFileOnlyAtACommitItsCheckAllows) {
  ScratchFolder folder;
  const std::string path = folder.Write("a.txt", "old");
  {
    AtomicWriter abandoned;
    ASSERT_TRUE(abandoned.Open(path).ok());
    ASSERT_TRUE(abandoned.Write("never").ok());
  }
  AtomicWriter refused;
  ASSERT_TRUE(refused.Open(path).ok());
  ASSERT_TRUE(refused.Write("nor").ok());
  Status no = Status::Error(Status::Code::kIoError, "no");
  EXPECT_EQ(refused.Commit([&] { return no; }).message(), "no");
  EXPECT_EQ(folder.Files(), std::vector<std::string>{"a.txt"});
  EXPECT_EQ(folder.Read("a.txt"), "old");

  AtomicWriter writer;
  ASSERT_TRUE(writer.Open(path).ok());
  for (const char* piece : {"n", "e", "w"}) ASSERT_TRUE(writer.Write(piece).ok());
  ASSERT_TRUE(writer.Commit([] { return Status::Ok(); }).ok());
  EXPECT_EQ(folder.Read("a.txt"), "new");
  EXPECT_EQ(folder.Files(), std::vector<std::string>{"a.txt"});
}

// A POSIX ACL as the kernel stores it: owner rw, user 65534 r, group r, mask r, others none.
std::string AccessAcl() {
  std::string acl;
  auto put = [&acl](uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) acl.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
  };
  put(2, 4);  // version
  const uint32_t kAnyone = 0xffffffff;
  const uint32_t entries[][3] = {{0x01, 6, kAnyone},
                                 {0x02, 4, 65534},
                                 {0x04, 4, kAnyone},
                                 {0x10, 4, kAnyone},
                                 {0x20, 0, kAnyone}};
  for (const auto& entry : entries) {
    put(entry[0], 2);
    put(entry[1], 2);
    put(entry[2], 4);
  }
  return acl;
}

bool SetAttribute(const std::string& path, const char* name, const std::string& value) {
  return ::setxattr(path.c_str(), name, value.data(), value.size(), 0) == 0;
}

std::string Attribute(const std::string& path, const char* name) {
  char value[256];
  ssize_t size = ::getxattr(path.c_str(), name, value, sizeof value);
  return size < 0 ? "<none>" : std::string(value, static_cast<size_t>(size));
}

// Extended attributes, and the ACL kept in one, are the file's, not its content's: a rewrite
// keeps them, and a file without an ACL does not take one from its folder's default ACL. The
// temp folder may lack them (tmpfs): the test then works below the current folder (the build
// tree).
TEST(AtomicFileTest, RewriteKeepsExtendedAttributesAndTheAcl) {
  auto folder = std::make_unique<ScratchFolder>();
  const auto supported = [&] {
    const std::string probe = folder->Write("probe", "");
    return SetAttribute(probe, "user.quonder", "1") &&
           SetAttribute(probe, "system.posix_acl_access", AccessAcl());
  };
  if (!supported()) folder = std::make_unique<ScratchFolder>(fs::current_path().string());
  ASSERT_TRUE(supported()) << "no file system here keeps user attributes and ACLs: "
                           << folder->path();

  const std::string path = folder->Write("a.txt", "old");
  const std::string plain = folder->Write("plain.txt", "old");
  ASSERT_TRUE(SetAttribute(path, "user.origin", "made by hand"));
  ASSERT_TRUE(SetAttribute(path, "system.posix_acl_access", AccessAcl()));
  ASSERT_TRUE(SetAttribute(folder->path(), "system.posix_acl_default", AccessAcl()));
  const mode_t mode = ModeOf(path);
  const mode_t plain_mode = ModeOf(plain);

  ASSERT_TRUE(WriteFileAtomically(path, "new").ok());
  ASSERT_TRUE(WriteFileAtomically(plain, "new").ok());

  EXPECT_EQ(folder->Read("a.txt"), "new");
  EXPECT_EQ(Attribute(path, "user.origin"), "made by hand");
  EXPECT_EQ(Attribute(path, "system.posix_acl_access"), AccessAcl());
  EXPECT_EQ(ModeOf(path), mode);
  EXPECT_EQ(folder->Read("plain.txt"), "new");
  EXPECT_EQ(Attribute(plain, "system.posix_acl_access"), "<none>");
  EXPECT_EQ(ModeOf(plain), plain_mode);
}

// A user who may not give the file back to its owner still keeps its group when a member of
// it, so that the group's access stays. Here the new file would otherwise take the group of
// its setgid folder. Needs root to hand the file to another user (as CI runs).
TEST(AtomicFileTest, ARewriteOfAnotherUsersFileKeepsItsGroup) {
  ScratchFolder folder;
  const std::string shared = folder.Path("shared");
  ASSERT_TRUE(fs::create_directory(shared));
  ASSERT_EQ(::chown(shared.c_str(), ::geteuid(), 65534), 0) << "needs root";
  ASSERT_EQ(::chmod(shared.c_str(), 02775), 0);
  const std::string path = folder.Write("shared/a.txt", "old");
  ASSERT_EQ(::chown(path.c_str(), 65534, ::getegid()), 0);
  ASSERT_EQ(::chmod(path.c_str(), 0664), 0);

  Status status;
  ASSERT_TRUE(testing::RunAsPlainUser([&] { status = WriteFileAtomically(path, "new"); }));

  ASSERT_TRUE(status.ok()) << status.message();
  struct stat st;
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_gid, ::getegid());
  EXPECT_EQ(st.st_mode & 07777, 0664u);
  EXPECT_EQ(folder.Read("shared/a.txt"), "new");
}

}  // namespace
}  // namespace quonder
