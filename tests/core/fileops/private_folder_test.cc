#include "core/fileops/private_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "support/scratch_folder.h"

namespace quonder {
namespace {

namespace fs = std::filesystem;
using testing::ScratchFolder;

// Two windows of one process (or of one user) never share a backup folder, and closing one
// leaves the other's.
TEST(PrivateFolderTest, TwoFoldersNeverMeet) {
  ScratchFolder temp;
  PrivateFolder first, second;
  ASSERT_TRUE(PrivateFolder::Make(temp.path(), "Quonder", first).ok());
  ASSERT_TRUE(PrivateFolder::Make(temp.path(), "Quonder", second).ok());
  EXPECT_NE(first.path(), second.path());
  for (const PrivateFolder* folder : {&first, &second}) {
    EXPECT_EQ(fs::path(folder->path()).parent_path(), fs::path(temp.path()));
    EXPECT_TRUE(fs::path(folder->path()).filename().string().starts_with("Quonder"));
    EXPECT_TRUE(IsPrivateFolder(folder->path()));
  }
  temp.Write(fs::path(second.path()).filename().string() + "/b.txt", "b");
  const std::string first_path = first.path();
  EXPECT_TRUE(first.Remove());
  EXPECT_FALSE(fs::exists(first_path));
  EXPECT_TRUE(fs::exists(second.path() + "/b.txt"));
}

// What another user may have prepared under the shared folder is never taken: neither a
// world-writable "Quonder" folder nor a link of that name.
TEST(PrivateFolderTest, APreparedFolderOrLinkIsNeverUsed) {
  ScratchFolder temp;
  temp.Write("bait/keep.txt", "keep");
  fs::create_directory_symlink(temp.Path("bait"), temp.Path("Quonder"));
  temp.Write("QuonderOpen/keep.txt", "keep");
  fs::permissions(temp.Path("QuonderOpen"), fs::perms::all);

  PrivateFolder folder;
  ASSERT_TRUE(PrivateFolder::Make(temp.path(), "Quonder", folder).ok());
  EXPECT_NE(folder.path(), temp.Path("Quonder"));
  EXPECT_NE(folder.path(), temp.Path("QuonderOpen"));
  EXPECT_TRUE(IsPrivateFolder(folder.path()));
  EXPECT_TRUE(folder.Remove());
  EXPECT_EQ(temp.Files(), (std::vector<std::string>{"QuonderOpen/keep.txt", "bait/keep.txt"}));
  EXPECT_TRUE(fs::is_symlink(temp.Path("Quonder")));
}

// A folder swapped for another thing after it was made is not deleted, nor what a link in its
// place leads to.
TEST(PrivateFolderTest, RemoveDeletesOnlyTheFolderItMade) {
  ScratchFolder temp;
  temp.Write("other/keep.txt", "keep");
  for (bool link : {true, false}) {
    PrivateFolder folder;
    ASSERT_TRUE(PrivateFolder::Make(temp.path(), "Quonder", folder).ok());
    const std::string path = folder.path();
    fs::rename(path, temp.Path(link ? "moved-1" : "moved-2"));
    if (link) {
      fs::create_directory_symlink(temp.Path("other"), path);
    } else {
      fs::create_directory(path);
      fs::permissions(path, fs::perms::owner_all);
    }
    EXPECT_FALSE(folder.Remove()) << link;
    EXPECT_TRUE(fs::exists(fs::symlink_status(path))) << link;
  }
  EXPECT_EQ(temp.Read("other/keep.txt"), "keep");
  PrivateFolder none;
  EXPECT_FALSE(none.Remove());
}

TEST(PrivateFolderTest, OnlyAnOwnFolderClosedToOthersIsPrivate) {
  ScratchFolder temp;
  temp.Write("file", "");
  for (const char* name : {"own", "group", "others"}) {
    fs::create_directory(temp.Path(name));
    fs::permissions(temp.Path(name), fs::perms::owner_all);
  }
  fs::permissions(temp.Path("group"), fs::perms::group_read, fs::perm_options::add);
  fs::permissions(temp.Path("others"), fs::perms::others_exec, fs::perm_options::add);
  fs::create_directory_symlink(temp.Path("own"), temp.Path("link"));
  const struct {
    const char* name;
    bool is_private;
  } cases[] = {{"own", true},   {"group", false}, {"others", false},
               {"link", false}, {"file", false},  {"missing", false}};
  for (const auto& c : cases) EXPECT_EQ(IsPrivateFolder(temp.Path(c.name)), c.is_private) << c.name;
  EXPECT_FALSE(IsPrivateFolder(""));
}

TEST(PrivateFolderTest, EmptyingKeepsTheFolderAndDoesNotFollowLinks) {
  ScratchFolder temp;
  temp.Write("outside/keep.txt", "keep");
  PrivateFolder folder;
  ASSERT_TRUE(PrivateFolder::Make(temp.path(), "Quonder", folder).ok());
  const std::string name = fs::path(folder.path()).filename().string();
  temp.Write(name + "/sub/a.txt", "a");
  fs::create_directory_symlink(temp.Path("outside"), folder.path() + "/link");
  EXPECT_TRUE(EmptyPrivateFolder(folder.path()));
  EXPECT_TRUE(fs::is_empty(folder.path()));
  EXPECT_TRUE(IsPrivateFolder(folder.path()));
  EXPECT_EQ(temp.Read("outside/keep.txt"), "keep");

  fs::permissions(temp.Path("outside"), fs::perms::all);  // a folder open to others
  EXPECT_FALSE(EmptyPrivateFolder(temp.Path("outside")));
  EXPECT_EQ(temp.Read("outside/keep.txt"), "keep");
}

}  // namespace
}  // namespace quonder
