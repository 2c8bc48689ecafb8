#include "core/settings/history.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <latch>
#include <string>
#include <thread>
#include <vector>

#include "core/fileops/atomic_file.h"
#include "core/settings/ini_file_common.h"
#include "support/fake_history_box.h"
#include "support/scratch_folder.h"

namespace quonder {
namespace {

using FakeBox = testing::FakeHistoryBox;
using Items = std::vector<std::string>;

class HistoryTest : public ::testing::Test {
 protected:
  void SetUp() override { ini_ = folder_.Path("Quonder.ini"); }

  void WriteIni(const std::string& text) { folder_.Write("Quonder.ini", text); }
  std::string ReadIni() { return folder_.Read("Quonder.ini"); }
  int32_t Load(FakeBox& box) {
    int32_t capacity = -1;
    LoadHistory(capacity, box, "FindHistoryCnt", "FindHistory", "Find", ini_);
    return capacity;
  }
  void Add(FakeBox& box, int32_t capacity, const std::string& text) {
    box.current = text;
    AddToHistory(capacity, box, "FindHistory", ini_);
  }

  testing::ScratchFolder folder_;
  std::string ini_;
};

// Load shows the entries up to the first gap and an ending empty item; adding moves a text to
// the top without duplicates, and an empty text is not added.
TEST_F(HistoryTest, LoadThenAddMovesTheTextToTheTopWithoutDuplicates) {
  WriteIni("[FindHistory]\n0=\"a\"\n1=\"b\"\n2=\"c\"\n4=\"behind the end\"\n");
  FakeBox box;
  int32_t capacity = Load(box);
  EXPECT_EQ(capacity, 32);
  EXPECT_EQ(box.items, (Items{"a", "b", "c", ""}));
  EXPECT_EQ(box.selected, 0);
  EXPECT_EQ(box.current, "a");
  Add(box, capacity, "");
  EXPECT_EQ(box.items, (Items{"a", "b", "c", ""}));
  Add(box, capacity, "b");
  EXPECT_EQ(box.items, (Items{"b", "a", "c", ""}));
  Add(box, capacity, "d");
  EXPECT_EQ(box.items, (Items{"d", "b", "a", "c", ""}));
  Add(box, capacity, "D");  // letter case makes a different entry
  EXPECT_EQ(box.items, (Items{"D", "d", "b", "a", "c", ""}));
  Add(box, capacity, "c");  // the oldest comes back to the top
  EXPECT_EQ(box.items, (Items{"c", "D", "d", "b", "a", ""}));
  EXPECT_EQ(box.current, "c");
  FakeBox reloaded;
  Load(reloaded);
  EXPECT_EQ(reloaded.items, box.items);
}

// The whole list moves down in one rewrite of the file: a kill during an add leaves the old
// list or the new one, never one shifted half-way with an entry twice, and a long history
// is not rewritten once per entry.
TEST_F(HistoryTest, AFullListDropsItsOldestEntryInOneRewrite) {
  WriteIni("[FindSetting]\nFindHistoryCnt=3\n[FindHistory]\n0=\"a\"\n1=\"b\"\n2=\"c\"\n");
  FakeBox box;
  int32_t capacity = Load(box);
  EXPECT_EQ(capacity, 3);
  EXPECT_EQ(box.items, (Items{"a", "b", "c"}));
  int rewrites = 0;
  SetBeforeRenameHookForTesting([&rewrites](const std::string&) { ++rewrites; });
  Add(box, capacity, "d");
  SetBeforeRenameHookForTesting(nullptr);
  EXPECT_EQ(box.items, (Items{"d", "a", "b"}));
  EXPECT_EQ(rewrites, 1);
}

// Two windows share one settings file and each shows the list as it was when it last read it.
// An add shifts the list the file holds, not the one its box shows, so an entry the other
// window added meanwhile is never overwritten.
TEST_F(HistoryTest, AnAddKeepsWhatAnotherWindowAddedMeanwhile) {
  FakeBox first, second;
  const int32_t capacity = Load(first);
  Load(second);
  Add(second, capacity, "b1");
  Add(second, capacity, "b2");
  Add(first, capacity, "a");
  EXPECT_EQ(first.items, (Items{"a", "b2", "b1", ""}));
  Add(second, capacity, "b1");  // its older place, as the file has it, is the one dropped
  FakeBox reloaded;
  Load(reloaded);
  EXPECT_EQ(reloaded.items, (Items{"b1", "a", "b2", ""}));
}

// Adds made at the same moment by several windows: each reads the list under the lock it
// rewrites it with, so no add works from a list another one is about to replace. Windows opened
// at the same moment on an older file each decide under that lock whether its text still has
// to move, so none writes it over an add made since it read the file.
TEST_F(HistoryTest, LoadsAndAddsAtTheSameMomentKeepEveryEntry) {
  constexpr int kWindows = 6;
  constexpr int kAddsEach = 4;
  const int32_t capacity = kWindows * kAddsEach + 2;  // all adds, the older text, the empty item
  auto entry = [](int window, int add) {
    return std::to_string(window) + "-" + std::to_string(add);
  };
  for (const std::string older : {"", "older"}) {
    for (int round = 0; round < 3; ++round) {
      WriteIni(older.empty() ? "" : "[FindSetting]\nFind=" + older + "\n");
      std::latch start(kWindows);
      std::vector<std::thread> windows;
      for (int w = 0; w < kWindows; ++w) {
        windows.emplace_back([&, w] {
          FakeBox box;
          start.arrive_and_wait();
          if (!older.empty()) Load(box);
          for (int k = 0; k < kAddsEach; ++k) Add(box, capacity, entry(w, k));
        });
      }
      for (std::thread& window : windows) window.join();
      FakeBox reloaded;
      FillHistoryList(capacity, reloaded, "FindHistory", ini_);
      Items expected{"", older};
      if (older.empty()) expected.pop_back();
      for (int w = 0; w < kWindows; ++w) {
        for (int k = 0; k < kAddsEach; ++k) expected.push_back(entry(w, k));
      }
      std::sort(reloaded.items.begin(), reloaded.items.end());
      std::sort(expected.begin(), expected.end());
      ASSERT_EQ(reloaded.items, expected) << older << " round " << round;
      EXPECT_EQ(ReadIni().find("Find="), std::string::npos) << ReadIni();
    }
  }
}

// A window that read the settings before another one moved the older text and added to the
// list shows the list the file holds and writes nothing over it.
TEST_F(HistoryTest, ALoadFromAnEarlierReadingKeepsWhatAnotherWindowAdded) {
  WriteIni("[FindSetting]\nFind=older\n");
  const IniSnapshot earlier(ini_);
  FakeBox other;
  const int32_t capacity = Load(other);
  Add(other, capacity, "new");
  FakeBox box;
  int32_t read_capacity = -1;
  LoadHistory(read_capacity, box, "FindHistoryCnt", "FindHistory", "Find", earlier, ini_);
  EXPECT_EQ(box.items, (Items{"new", "older", ""}));
  EXPECT_EQ(ReadIni(), "[FindSetting]\n\n[FindHistory]\n0=\"new\"\n1=\"older\"\n2=\"\"\n");
}

TEST_F(HistoryTest, EntriesKeepTheirSpacesAndQuotes) {
  FakeBox box;
  int32_t capacity = Load(box);
  Add(box, capacity, " lead and trail ");
  Add(box, capacity, "\"quoted\"");
  Add(box, capacity, "tab\there\\");
  FakeBox reloaded;
  Load(reloaded);
  EXPECT_EQ(reloaded.items, (Items{"tab\there\\", "\"quoted\"", " lead and trail ", ""}));
  // Stored in quotes, escaped.
  EXPECT_NE(ReadIni().find("0=\"tab\\there\\\\\""), std::string::npos) << ReadIni();
}

TEST_F(HistoryTest, CapacityOutsideItsRangeOrNotANumberIs32) {
  const std::vector<std::pair<std::string, int32_t>> cases = {
      {"0", 32}, {"2000", 32}, {"abc", 32},  {"1024", 1024}, {"1", 1}, {"-5", 32},
      {"7x", 7}, {" 12", 12},  {"12.6", 13}, {"2.5", 2},     {"", 32}, {"1025", 32}};
  for (const auto& [text, expected] : cases) {
    WriteIni("[FindSetting]\nFindHistoryCnt=" + text + "\n[FindHistory]\n0=\"a\"\n");
    FakeBox box;
    EXPECT_EQ(Load(box), expected) << text;
  }
}

// Without a history section: an older file's single text moves into it; without that either,
// one empty item and nothing written.
TEST_F(HistoryTest, AnOlderFileMovesItsSingleTextIntoTheHistory) {
  WriteIni("[FindSetting]\nSubFolder=1\n");
  FakeBox box;
  Load(box);
  EXPECT_EQ(box.items, (Items{""}));
  EXPECT_EQ(ReadIni(), "[FindSetting]\nSubFolder=1\n");
  WriteIni("; kept\n[FindSetting]\nFind=abc\nSubFolder=1\n");
  Load(box);
  EXPECT_EQ(box.items, (Items{"abc"}));
  EXPECT_EQ(box.current, "abc");
  EXPECT_EQ(ReadIni(), "; kept\n[FindSetting]\nSubFolder=1\n\n[FindHistory]\n0=\"abc\"\n");
  // A file that refuses the entry (not UTF-8: new text would mix encodings) keeps its text.
  const std::string latin1 = "; caf\xE9\n[FindSetting]\nFind=abc\n";
  WriteIni(latin1);
  int32_t capacity = -1;
  EXPECT_FALSE(LoadHistory(capacity, box, "FindHistoryCnt", "FindHistory", "Find", ini_).ok());
  EXPECT_EQ(box.items, (Items{"abc"}));
  EXPECT_EQ(ReadIni(), latin1);
}

}  // namespace
}  // namespace quonder
