#include "core/fileops/file_common.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/plain_user.h"
#include "support/scoped_env.h"
#include "support/scratch_folder.h"

namespace quonder {
namespace {

namespace fs = std::filesystem;

using testing::ScopedEnv;

TEST(ExpandEnvVariablesTest, Table) {
  ScopedEnv env;
  env.Set("QX_TEMP", "C:\\Tmp");
  env.Set("QX_A", "x");
  env.Set("QX_B", "y");
  env.Set("QX_PATH", "/usr/bin");
  env.Set("QX_EMPTY", "");
  env.Set(" qx ", "blank");
  env.Set("QX_PROGRAMS", "C:\\Program Files");
  env.Set("QX_LONG", "abcdefghij%QX_B%");
  env.Unset("QX_NOPE");
  env.Unset("P /l ");
  struct Case {
    std::string text;
    std::string expected;
  };
  const Case cases[] = {
      {"%QX_TEMP%\\abc", "C:\\Tmp\\abc"},
      {"%QX_NOPE%\\abc", "%QX_NOPE%\\abc"},
      // The closing sign of an unset reference does not open the next one.
      {"%QX_NOPE%QX_PATH%", "%QX_NOPE%QX_PATH%"},
      // After the substitution the scan resumes at the last sign, which finds no partner.
      {"%QX_A%%QX_B%", "x%QX_B%"},
      {"%QX_A% and %QX_A%", "x and x"},
      {"%%", "%%"},
      {"100%", "100%"},
      {"%", "%"},
      {"", ""},
      {"% qx %", "blank"},
      {"%qx_a%", "%qx_a%"},  // names are case-sensitive here
      {"%QX_EMPTY%/x", "%QX_EMPTY%/x"},
      {"a%%QX_A%", "a%%QX_A%"},  // "%%QX_A%": the name is "%QX_A"
      // The scan resumes at the old closing position, here inside the longer value, so the
      // reference the value holds is expanded too.
      {"%QX_LONG%!", "abcdefghijy!"},
      {"%QX_PROGRAMS%\\Ed\\ed.exe %P /l %L /cl %C",
       "C:\\Program Files\\Ed\\ed.exe %P /l %L /cl %C"},
  };
  for (const Case& c : cases) EXPECT_EQ(ExpandEnvVariables(c.text), c.expected) << c.text;
}

TEST(PathTest, BuildPath) {
  struct Case {
    std::string folder, name, expected;
  };
  const Case cases[] = {
      {"/a", "b", "/a/b"}, {"/a/", "b", "/a/b"}, {"/", "b", "/b"},        {"", "b", "b"},
      {"a", "/b", "a/b"},  {"a/", "/b", "a/b"},  {"/a", "b/c", "/a/b/c"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(BuildPath(c.folder, c.name), c.expected) << c.folder << " + " << c.name;
  }
}

TEST(PathTest, Components) {
  struct Case {
    std::string path, parent, name, extension;
  };
  const Case cases[] = {
      {"/a/b/c.txt", "/a/b", "c.txt", "txt"},
      {"/a/b/", "/a", "b", ""},
      {"/a", "/", "a", ""},
      {"/", "", "", ""},
      {"a", "", "a", ""},
      {"", "", "", ""},
      {"a/b", "a", "b", ""},
      {"/a//b", "/a", "b", ""},
      {"//a", "/", "a", ""},
      {"/x.y/z", "/x.y", "z", ""},
      {"/d/a.tar.gz", "/d", "a.tar.gz", "gz"},
      {"/d/a.", "/d", "a.", ""},
      {"/d/.profile", "/d", ".profile", "profile"},
      {"page.HTM", "", "page.HTM", "HTM"},
      {"/d/\u00e9t\u00e9.\u30c6\u30ad", "/d", "\u00e9t\u00e9.\u30c6\u30ad", "\u30c6\u30ad"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(GetParentFolderName(c.path), c.parent) << c.path;
    EXPECT_EQ(GetFileName(c.path), c.name) << c.path;
    EXPECT_EQ(GetExtensionName(c.path), c.extension) << c.path;
  }
}

TEST(TempFolderTest, TempThenTmpdirThenTmp) {
  ScopedEnv env;
  env.Set("TEMP", "/q/temp");
  env.Set("TMPDIR", "/q/tmpdir");
  EXPECT_EQ(TempFolder(), "/q/temp");
  env.Unset("TEMP");
  EXPECT_EQ(TempFolder(), "/q/tmpdir");
  env.Set("TMPDIR", "");
  EXPECT_EQ(TempFolder(), "/tmp");
}

class FileOpsTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& relative) const { return folder_.Path(relative); }
  void MakeReadOnly(const std::string& relative) const {
    fs::permissions(Path(relative),
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
  }
  // Everything below `relative`, sorted, as "name" and "folder/".
  std::vector<std::string> Listing(const std::string& relative = "") const {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(Path(relative))) {
      std::string name = fs::relative(entry.path(), Path(relative)).string();
      names.push_back(entry.is_directory() ? name + "/" : name);
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  testing::ScratchFolder folder_;
  const std::string root_ = folder_.path();
};

TEST_F(FileOpsTest, ExistenceTests) {
  folder_.Write("f.txt", "x");
  EXPECT_TRUE(FolderExists(root_));
  EXPECT_TRUE(FolderExists(root_ + "/"));
  EXPECT_FALSE(FolderExists(Path("f.txt")));
  EXPECT_FALSE(FolderExists(""));
  EXPECT_TRUE(FileExists(Path("f.txt")));
  EXPECT_FALSE(FileExists(root_));
  EXPECT_FALSE(FileExists(Path("missing")));
  EXPECT_FALSE(FileExists(""));
}

// Made where possible (missing parents, already there, a trailing separator); where not, a
// failure that creates nothing.
TEST_F(FileOpsTest, CreateFolderPath) {
  folder_.Write("file", "keep");
  EXPECT_TRUE(CreateFolderPath(Path("a/b/c")));
  EXPECT_TRUE(CreateFolderPath(Path("a/b/c")));
  EXPECT_TRUE(CreateFolderPath(Path("a/d/")));
  EXPECT_FALSE(CreateFolderPath(Path("file/x/y")));  // a file where a folder must be
  EXPECT_FALSE(CreateFolderPath(Path("file")));
  EXPECT_FALSE(CreateFolderPath("quonder_bare_name_that_has_no_parent"));
  EXPECT_FALSE(FolderExists("quonder_bare_name_that_has_no_parent"));
  EXPECT_FALSE(CreateFolderPath(""));
  EXPECT_EQ(Listing(), (std::vector<std::string>{"a/", "a/b/", "a/b/c/", "a/d/", "file"}));
  EXPECT_EQ(folder_.Read("file"), "keep");
}

// Everything goes and no link is followed; a missing folder or a file is refused; read-only
// files stop a delete unless it is forced, and forced, read-only folders go too.
TEST_F(FileOpsTest, DeleteFolderTree) {
  folder_.Write("outside/keep.txt", "keep");
  folder_.Write("t/a.txt", "a");
  folder_.Write("t/sub/deeper/c.txt", "c");
  fs::create_directory_symlink(Path("outside"), Path("t/link"));
  fs::create_directory_symlink(Path("outside"), Path("top-link"));
  EXPECT_TRUE(DeleteFolderTree(Path("t/"), false));       // one trailing separator is fine
  EXPECT_TRUE(DeleteFolderTree(Path("top-link"), true));  // the link goes, not its folder
  EXPECT_FALSE(DeleteFolderTree(Path("missing"), true));
  EXPECT_FALSE(DeleteFolderTree(Path("outside/keep.txt"), true));
  EXPECT_FALSE(DeleteFolderTree("", true));
  EXPECT_EQ(Listing(), (std::vector<std::string>{"outside/", "outside/keep.txt"}));

  folder_.Write("t/ro.txt", "r");
  folder_.Write("t/locked/inner.txt", "i");
  MakeReadOnly("t/ro.txt");
  MakeReadOnly("t/locked/inner.txt");
  MakeReadOnly("t/locked");
  EXPECT_FALSE(DeleteFolderTree(Path("t"), false));
  EXPECT_EQ(folder_.Read("t/ro.txt"), "r");
  bool deleted = false;
  ASSERT_TRUE(testing::RunAsPlainUser([&] { deleted = DeleteFolderTree(Path("t"), true); }));
  EXPECT_TRUE(deleted);
  EXPECT_FALSE(FolderExists(Path("t")));
}

// Overwrite only when asked; every failure says why and leaves the target as it was and no
// temporary copy. A target marked read-only stays, also for root.
TEST_F(FileOpsTest, CopyFile) {
  folder_.Write("src.txt", "new\r\ncontent");
  folder_.Write("dst/existing.txt", "old");
  folder_.Write("dst/ro.txt", "kept");
  MakeReadOnly("dst/ro.txt");
  folder_.Write("blocker", "b");
  EXPECT_TRUE(CopyFile(Path("src.txt"), Path("dst/fresh.txt"), false));
  EXPECT_EQ(folder_.Read("dst/fresh.txt"), "new\r\ncontent");
  const struct {
    std::string source, target;
    bool overwrite;
    std::string why;  // the start of it
  } refused[] = {
      {"src.txt", "dst/existing.txt", false, "the target exists"},
      {"src.txt", "missing/a.txt", true, "Cannot write"},  // no such folder
      {"src.txt", "blocker/a.txt", true, "Cannot write"},  // a file as folder
      {"nothing.txt", "dst/b.txt", true, "it does not exist"},
      {"dst", "dst/c.txt", true, "it is not a regular file"},
      {"src.txt", "dst", true, "the target is not a regular file"},
      {"dst/existing.txt", "dst/existing.txt", true, "the target is the file"},
      {"src.txt", "dst/ro.txt", true, "the target is read-only"},
  };
  for (const auto& c : refused) {
    std::string why;
    EXPECT_FALSE(CopyFile(Path(c.source), Path(c.target), c.overwrite, &why)) << c.target;
    EXPECT_TRUE(why.starts_with(c.why)) << c.target << ": " << why;
  }
  EXPECT_EQ(folder_.Read("dst/existing.txt"), "old");
  EXPECT_EQ(folder_.Read("dst/ro.txt"), "kept");
  EXPECT_FALSE(FolderExists(Path("missing")));
  EXPECT_TRUE(CopyFile(Path("src.txt"), Path("dst/existing.txt"), true));
  EXPECT_EQ(folder_.Read("dst/existing.txt"), "new\r\ncontent");
  EXPECT_EQ(Listing("dst"), (std::vector<std::string>{"existing.txt", "fresh.txt", "ro.txt"}));

  // Another user's file the user may not write stays theirs, although the folder would let a
  // rename put the copy in its place.
  folder_.Write("dst/theirs.txt", "theirs");
  ASSERT_EQ(::chown(Path("dst/theirs.txt").c_str(), 65534, 65534), 0) << "needs root";
  ::chmod(Path("dst/theirs.txt").c_str(), 0644);
  std::string why;
  bool copied = true;
  ASSERT_TRUE(testing::RunAsPlainUser(
      [&] { copied = CopyFile(Path("src.txt"), Path("dst/theirs.txt"), true, &why); }));
  EXPECT_FALSE(copied);
  EXPECT_EQ(why, "the target is read-only");
  EXPECT_EQ(folder_.Read("dst/theirs.txt"), "theirs");
}

// Missing folders are made; without overwrite an existing file stays and the call fails, but
// the rest is copied; files the source lacks are kept; a copy into itself is refused.
TEST_F(FileOpsTest, CopyFolder) {
  folder_.Write("src/a.txt", "new a");
  folder_.Write("src/sub/b.txt", "new b");
  fs::create_directories(Path("src/empty"));
  folder_.Write("dst/a.txt", "old a");
  folder_.Write("dst/other.txt", "other");
  EXPECT_TRUE(CopyFolder(Path("src"), Path("out/deep/copy"), false));
  EXPECT_EQ(Listing("out/deep/copy"),
            (std::vector<std::string>{"a.txt", "empty/", "sub/", "sub/b.txt"}));
  EXPECT_EQ(folder_.Read("out/deep/copy/sub/b.txt"), "new b");

  EXPECT_FALSE(CopyFolder(Path("src"), Path("dst"), false));
  EXPECT_EQ(folder_.Read("dst/a.txt"), "old a");
  EXPECT_EQ(folder_.Read("dst/sub/b.txt"), "new b");
  EXPECT_TRUE(CopyFolder(Path("src"), Path("dst"), true));
  EXPECT_EQ(folder_.Contents("dst"), "a.txt=new a\nother.txt=other\nsub/b.txt=new b\n");

  fs::remove_all(Path("out"));
  fs::remove_all(Path("dst"));
  EXPECT_FALSE(CopyFolder(Path("src"), Path("src/inner"), true));
  EXPECT_FALSE(CopyFolder(Path("src"), Path("src"), true));
  EXPECT_FALSE(CopyFolder(Path("missing"), Path("dst"), true));
  EXPECT_EQ(Listing(), (std::vector<std::string>{"src/", "src/a.txt", "src/empty/", "src/sub/",
                                                 "src/sub/b.txt"}));
}

}  // namespace
}  // namespace quonder
