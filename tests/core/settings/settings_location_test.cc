// Where the settings file lives without a command-line argument, the folder made for it, and
// the editor a new settings file starts with.
#include "core/settings/settings_location.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "core/fileops/editor_command.h"
#include "core/settings/default_editor.h"
#include "support/plain_user.h"
#include "support/scratch_folder.h"

namespace quonder {
namespace {

namespace fs = std::filesystem;

TEST(SettingsLocationTest, BesideAPortableProgramElseInTheUsersConfigurationFolder) {
  testing::ScratchFolder scratch;
  const std::string portable = scratch.Path("portable");
  scratch.Write("portable/CharCodeSet.ini", "[CharcterCoding]\n");
  const std::string installed = scratch.Path("usr/bin");
  fs::create_directories(installed);
  const std::string home = scratch.Path("home");
  struct Case {
    std::string program, config_home, expected;
  };
  const std::vector<Case> cases = {
      {portable, "/cfg", portable + "/Quonder.ini"},
      {installed, "/cfg", "/cfg/quonder/Quonder.ini"},
      {installed, "", home + "/.config/quonder/Quonder.ini"},
      {installed, "relative/cfg", home + "/.config/quonder/Quonder.ini"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DefaultSettingsFile(c.program, c.config_home, home), c.expected) << c.program;
  }
  // A portable copy in a folder the user may not write.
  fs::permissions(portable, fs::perms::owner_read | fs::perms::owner_exec);
  std::string chosen;
  ASSERT_TRUE(testing::RunAsPlainUser([&] { chosen = DefaultSettingsFile(portable, "/c", home); }));
  EXPECT_EQ(chosen, "/c/quonder/Quonder.ini");
}

TEST(SettingsLocationTest, TheFolderIsMadePrivateWithItsParents) {
  testing::ScratchFolder scratch;
  const std::string file = scratch.Path("home/.config/quonder/Quonder.ini");
  ASSERT_TRUE(CreateSettingsFolder(file).ok());
  struct stat st;
  ASSERT_EQ(::stat(scratch.Path("home/.config/quonder").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_TRUE(CreateSettingsFolder(file).ok());  // already there
  scratch.Write("blocked", "a file where a folder should be");
  const Status status = CreateSettingsFolder(scratch.Path("blocked/quonder/Quonder.ini"));
  EXPECT_FALSE(status.ok());
  EXPECT_NE(status.message().find("blocked"), std::string::npos) << status.message();

  // A relative path starts at the working folder, a one-letter first folder included; a bare
  // file name needs no folder at all.
  const fs::path working = fs::current_path();
  fs::current_path(scratch.path());
  const Status nested = CreateSettingsFolder("a/b/Quonder.ini");
  const Status bare = CreateSettingsFolder("Quonder.ini");
  fs::current_path(working);
  EXPECT_TRUE(nested.ok()) << nested.message();
  EXPECT_TRUE(fs::is_directory(scratch.Path("a/b")));
  EXPECT_TRUE(bare.ok()) << bare.message();
}

TEST(DefaultEditorTest, TheFirstListedEditorOnPathElseTheDesktopOpener) {
  testing::ScratchFolder scratch;
  const auto tool = [&scratch](const std::string& name, bool executable) {
    const std::string path = scratch.Write(name, "#!/bin/sh\nexit 0\n");
    fs::permissions(path, executable ? fs::perms::owner_all : fs::perms::owner_read);
  };
  tool("a/gedit", true);
  tool("b/kate", true);
  tool("b/code", false);  // not executable
  tool("c/gvim", true);
  const std::string a = scratch.Path("a"), b = scratch.Path("b"), c = scratch.Path("c");
  struct Case {
    std::string path, expected;
  };
  const std::vector<Case> cases = {
      {a, "gedit +%L:%C %P"},
      {a + ":" + b, "kate --line %L --column %C %P"},  // kate comes first in the list
      {"/nowhere::" + c, "gvim +%L %P"},
      {"", kDefaultEditor},
      {scratch.Path("none"), kDefaultEditor},
  };
  for (const Case& c : cases) EXPECT_EQ(ChooseDefaultEditor(c.path), c.expected) << c.path;
}

}  // namespace
}  // namespace quonder
