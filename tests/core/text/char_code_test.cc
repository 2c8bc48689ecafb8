#include "core/text/char_code.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/scratch_folder.h"

namespace quonder {
namespace {

class CharCodeTest : public ::testing::Test {
 protected:
  void WriteTable(const std::string& bytes) { scratch_.Write("CharCodeSet.ini", bytes); }
  // Loads the table; on failure the vector must come back empty even if it held entries.
  bool Load(const std::string& folder_suffix = "") {
    sets_.assign(3, CharCodeEntry{"stale", 1, "stale"});
    bool loaded = LoadCharCodeSet(folder_ + folder_suffix, sets_);
    if (!loaded) {
      EXPECT_TRUE(sets_.empty());
    }
    return loaded;
  }

  testing::ScratchFolder scratch_;
  const std::string& folder_ = scratch_.path();
  std::vector<CharCodeEntry> sets_;
};

// The entries as "name|code page|description", one per line.
std::string Entries(const std::vector<CharCodeEntry>& sets) {
  std::string text;
  for (const CharCodeEntry& e : sets) {
    text += e.Name + "|" + std::to_string(e.CodePage) + "|" + e.Description + "\n";
  }
  return text;
}

TEST_F(CharCodeTest, LoadsEntriesInKeyOrder) {
  WriteTable(
      "; charsets offered\r\n"
      "[CharcterCoding]\r\n"
      "z=utf-8,65001,Universal Alphabet (UTF-8)\r\n"
      "a=shift_jis,932,Japanese\r\n"
      "m=\"euc-jp,51932,Japanese (EUC)\"\r\n"
      "\xE6\x97\xA5=iso-2022-jp,50220,\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\r\n");
  ASSERT_TRUE(Load("/"));  // a trailing slash is no second folder level
  EXPECT_EQ(
      Entries(sets_),
      "utf-8|65001|Universal Alphabet (UTF-8)\nshift_jis|932|Japanese\n"
      "euc-jp|51932|Japanese (EUC)\niso-2022-jp|50220|\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\n");
}

// A value must split at every comma into exactly three fields with a decimal second field;
// anything else leaves an empty entry that keeps its place between its neighbours.
TEST_F(CharCodeTest, MalformedValuesLeaveEmptyEntriesInPlace) {
  struct Case {
    std::string value;
    CharCodeEntry expected;
  };
  const CharCodeEntry empty;
  const std::vector<Case> cases = {
      {"ok,1,fine", {"ok", 1, "fine"}},
      {" x , 437 ,blanks ", {"x ", 437, "blanks"}},  // the value is trimmed, not its fields
      {"neg,-5,signed", {"neg", -5, "signed"}},
      {"max,2147483647,x", {"max", 2147483647, "x"}},
      {"name,,", empty},
      {"four,1,fields,here", empty},
      {"two,1", empty},
      {"one", empty},
      {"", empty},
      {"alpha,abc,x", empty},
      {"trailing,932x,x", empty},
      {"float,1.5,x", empty},
      {"exponent,1e3,x", empty},
      {"huge,2147483648,x", empty},
      {"hex,&H3A4,x", empty},
      {"plus,+7,x", {"plus", 7, "x"}},
      {"two signs,+-5,x", empty},
      {"two pluses,++5,x", empty},
  };
  std::string table = "[CharcterCoding]\n";
  for (size_t i = 0; i < cases.size(); ++i) {
    table += "k" + std::to_string(i) + "=" + cases[i].value + "\n";
  }
  WriteTable(table);
  ASSERT_TRUE(Load());
  std::vector<CharCodeEntry> expected;
  for (const Case& c : cases) expected.push_back(c.expected);
  EXPECT_EQ(Entries(sets_), Entries(expected));
}

TEST_F(CharCodeTest, FailsWithoutATableOrKeys) {
  EXPECT_FALSE(Load());  // no file
  const std::vector<std::string> keyless = {
      "",
      "[Other]\nk=utf-8,65001,x\n",
      "[CharcterCoding]\n; only a comment\n\n[Next]\nk=utf-8,65001,x\n",
      "[CharacterCoding]\nk=utf-8,65001,x\n",  // the section keeps its own spelling
      std::string("[CharcterCoding]\nk=utf-8,65001,x\n\0", 35),
  };
  for (const std::string& bytes : keyless) {
    WriteTable(bytes);
    EXPECT_FALSE(Load()) << bytes;
  }
  std::filesystem::remove(folder_ + "/CharCodeSet.ini");
  std::filesystem::create_directory(folder_ + "/CharCodeSet.ini");
  EXPECT_FALSE(Load());
}

std::vector<CharCodeEntry> Table(int size, const std::string& prefix = "cs") {
  std::vector<CharCodeEntry> sets(size);
  for (int i = 0; i < size; ++i) sets[i].Name = prefix + std::to_string(i);
  return sets;
}

TEST(DefaultCharsetTest, PrefersEntry42ThenTheFirstNamedEntry) {
  EXPECT_EQ(DefaultCharset(Table(43)), "cs42");
  EXPECT_EQ(DefaultCharset(Table(60)), "cs42");
  EXPECT_EQ(DefaultCharset(Table(42)), "cs0");
  std::vector<CharCodeEntry> sets = Table(50);
  sets[42].Name.clear();
  sets[0].Name.clear();
  EXPECT_EQ(DefaultCharset(sets), "cs1");
  EXPECT_EQ(DefaultCharset(std::vector<CharCodeEntry>(50)), "utf-8");
  EXPECT_EQ(DefaultCharset({}), "utf-8");
}

}  // namespace
}  // namespace quonder
