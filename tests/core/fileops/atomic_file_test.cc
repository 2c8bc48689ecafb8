#include "core/fileops/atomic_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

namespace quonder {
namespace {

namespace fs = std::filesystem;

class AtomicFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("quonder-atomic-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  size_t EntryCount() const {
    return static_cast<size_t>(std::distance(fs::directory_iterator(dir_), {}));
  }
  fs::path dir_;
};

TEST_F(AtomicFileTest, RewriteKeepsPermissionBitsAndLeavesNoTemporaryFile) {
  std::string path = Path("script.sh");
  ASSERT_TRUE(WriteFileAtomically(path, "old").ok());
  ASSERT_EQ(::chmod(path.c_str(), 0751), 0);
  ASSERT_TRUE(WriteFileAtomically(path, "new content").ok());
  struct stat st;
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0751u);
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(path, bytes).ok());
  EXPECT_EQ(bytes, "new content");
  EXPECT_EQ(EntryCount(), 1u);
}

TEST_F(AtomicFileTest, RewriteThroughLinksKeepsThemAndChangesTheFileTheyLeadTo) {
  // settings.ini -> shared/link.ini -> shared/real/settings.ini, the links relative
  fs::create_directories(dir_ / "shared" / "real");
  const std::string real = Path("shared/real/settings.ini");
  ASSERT_TRUE(WriteFileAtomically(real, "old").ok());
  fs::create_symlink("real/settings.ini", dir_ / "shared" / "link.ini");
  fs::create_symlink("shared/link.ini", dir_ / "settings.ini");

  ASSERT_TRUE(WriteFileAtomically(Path("settings.ini"), "new").ok());
  EXPECT_TRUE(fs::is_symlink(dir_ / "settings.ini"));
  EXPECT_TRUE(fs::is_symlink(dir_ / "shared" / "link.ini"));
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(real, bytes).ok());
  EXPECT_EQ(bytes, "new");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "shared" / "real"), {}), 1);
  EXPECT_EQ(EntryCount(), 2u);  // settings.ini and shared: no temporary file beside the link
}

TEST_F(AtomicFileTest, NewFileFollowsTheUmask) {
  mode_t old_mask = ::umask(027);
  Status status = WriteFileAtomically(Path("new.txt"), "x");
  ::umask(old_mask);
  ASSERT_TRUE(status.ok());
  struct stat st;
  ASSERT_EQ(::stat(Path("new.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(AtomicFileTest, MissingFolderFailsNamingThePath) {
  std::string path = Path("no/such/folder/file.txt");
  Status status = WriteFileAtomically(path, "x");
  EXPECT_EQ(status.code(), Status::Code::kIoError);
  EXPECT_NE(status.message().find(path), std::string::npos);
  EXPECT_EQ(EntryCount(), 0u);
}

TEST_F(AtomicFileTest, ReadOfMissingFileIsNotFound) {
  std::string bytes = "stale";
  EXPECT_EQ(ReadWholeFile(Path("absent"), bytes).code(), Status::Code::kNotFound);
  EXPECT_TRUE(bytes.empty());
}

}  // namespace
}  // namespace quonder
