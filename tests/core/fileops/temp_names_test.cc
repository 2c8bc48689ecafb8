// The atomic writer's temporary names: made and recognised by one pair of functions, so that the
// find run skips exactly those files.
#include "core/fileops/temp_names.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace quonder {
namespace {

TEST(TempNamesTest, EveryNameMadeIsRecognisedWithItsProcess) {
  for (int64_t pid : {int64_t{1}, int64_t{getpid()}, int64_t{4194304}}) {
    for (uint64_t serial : {uint64_t{0}, uint64_t{7}, UINT64_MAX}) {
      const std::string name = TempFileName(pid, serial);
      int64_t parsed = 0;
      EXPECT_TRUE(IsTempFileName(name, &parsed)) << name;
      EXPECT_EQ(parsed, pid) << name;
    }
  }
  EXPECT_EQ(TempFileName(12, 3), ".quonder-12-3.tmp");
}

TEST(TempNamesTest, LookAlikesAreNotTemporaryNames) {
  const std::vector<std::pair<std::string, const char*>> bad = {
      {"quonder-12-3.tmp", "no leading dot"},
      {".quonder-12-3.tmp~", "something after the suffix"},
      {".quonder-12-3.TMP", "suffix in another case"},
      {".quonder-12.tmp", "no serial"},
      {".quonder--3.tmp", "no process"},
      {".quonder-0-3.tmp", "process 0"},
      {".quonder-012-3.tmp", "leading zero"},
      {".quonder-+12-3.tmp", "sign"},
      {".quonder-12-3-4.tmp", "a third number"},
      {".quonder-12-x.tmp", "serial not a number"},
      {".quonder-99999999999999999999-1.tmp", "process out of range"},
      {".quonder-.tmp", "nothing between"},
  };
  for (const auto& [name, reason] : bad) EXPECT_FALSE(IsTempFileName(name)) << reason;
}

TEST(TempNamesTest, OnlyAProcessThatIsGoneLeavesOrphans) {
  EXPECT_FALSE(TempOwnerGone(getpid()));   // this process
  EXPECT_FALSE(TempOwnerGone(getppid()));  // running
  EXPECT_FALSE(TempOwnerGone(0));
  EXPECT_FALSE(TempOwnerGone(-5));
}

}  // namespace
}  // namespace quonder
