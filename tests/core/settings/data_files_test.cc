#include "core/settings/data_files.h"

#include <gtest/gtest.h>

#include "support/scratch_folder.h"

namespace quonder {
namespace {

// The file beside the program wins over the installed one; a file in neither place is looked
// for beside the program.
TEST(FindDataFileTest, BesideTheProgramThenInstalledShare) {
  testing::ScratchFolder root;
  root.Write("usr/share/quonder/readme.txt", "installed");
  root.Write("usr/share/quonder/CharCodeSet.ini", "installed");
  root.Write("usr/bin/CharCodeSet.ini", "beside");
  const std::string bin = root.Path("usr/bin");
  EXPECT_EQ(FindDataFile(bin, "readme.txt"), root.Path("usr/share/quonder/readme.txt"));
  EXPECT_EQ(FindDataFolder(bin, "readme.txt"), root.Path("usr/share/quonder"));
  EXPECT_EQ(FindDataFile(bin, "CharCodeSet.ini"), root.Path("usr/bin/CharCodeSet.ini"));
  EXPECT_EQ(FindDataFile(bin, "missing.txt"), root.Path("usr/bin/missing.txt"));
  EXPECT_EQ(FindDataFolder(bin + "/", "missing.txt"), bin);
}

}  // namespace
}  // namespace quonder
