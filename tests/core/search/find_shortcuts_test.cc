// The raw-byte shortcuts of the find run (skipping files by their bytes, matching UTF-8 and
// ASCII files without decoding them) must give exactly the rows of decoding every file. These
// tests run both ways over files built from the fragments that could tell them apart.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/search/find_run.h"
#include "core/search/find_test_support.h"

namespace quonder {
namespace {

using namespace std::string_literals;
using find_test::ConditionsFor;
using find_test::RunTranscript;
using find_test::ScratchFolder;

struct CharsetCase {
  const char* charset;
  std::vector<std::string> fragments;  // in that charset's bytes
};

const std::vector<std::string> kCommon = {
    "abc", "return",   "RETURN", "Kelvin", "st", "ST",   "s",
    "k",   "_",        " ",      "(",      "\t", "\r\n", "\n",
    "\r",  "\r\n\r\n", "x",      "0",      "\\", "\x7F", std::string(1, '\0'),
    "a b"};

const std::vector<CharsetCase>& Charsets() {
  static const std::vector<CharsetCase> cases = {
      {"utf-8",
       {"\xE2\x84\xAA", "\xC5\xBF", "\xC3\xA9", "\xC3\x89", "\xF0\x9F\x98\x80", "\xFF", "\xC3",
        "\xE2\x84", "\xED\xA0\x80", "\xEF\xBB\xBF", "\xEF\xBF\xBD", "\xC0\xAF", "\xE2\x80\xA8",
        "\xD0\x9F\xD1\x80", "\x80\x80\x80\x80\x80", "\xF0\x9F\x98", "\xC3\xA9\x80"}},
      {"windows-1252", {"\xE9", "\xC9", "\x80", "\x81", "\x8A", "\x9F", "\xFF"}},
      {"shift_jis",
       {"\x95\x5C", "\x83\x5C", "\x82\xA0", "\x81", "\x81\x40", "\x82\x60", "\x82\x81", "\xA6",
        "\xEA\xA4", "\x88\x9F"}},
      {"euc-jp", {"\xA4\xA2", "\xB0\xA1", "\x8E\xA6", "\xA4", "\xA3\xC1", "\xA3\xE1"}},
      {"gbk", {"\xC4\xE3", "\x81\x40", "\xA3\xC1", "\xA3\xE1", "\x80", "\xFE"}},
      {"unicode", {"a\0"s, "\xE9\0"s, "\x2A\x21"s, "\x3D\xD8\x00\xDE"s, "\x00\xD8"s, "\r\0\n\0"s}},
  };
  return cases;
}

struct Search {
  std::u16string find;
  std::string flags;  // as ConditionsFor takes them
  std::u16string separators = kDefaultSeparators;
};

const std::vector<Search>& Searches() {
  static const std::vector<Search> searches = [] {
    const std::pair<std::string, std::vector<std::u16string>> by_flags[] = {
        {"",
         {u"k", u"return", u"\u00e9", u"\r\n", u"\\", u"\uFFFD", u"\U0001F600", u"\u3042",
          u"\u8868", u"\u212a"}},
        {"i", {u"k", u"kelvin", u"st", u"S", u"\u00c9", u"\uFF21", u"\u043f\u0440", u"x\u00e9"}},
        {"iw", {u"K", u"RETURN", u"\u00e9"}},
        {"w", {u"a b", u"st", u"\uFFFD"}},
        {"r", {u"k\\w*", u"^", u".", u"\\bs", u"(?<=\\\\)x", u"a*", u"\\r\\n", u"[^a-z]+"}},
        {"rw", {u"\\w+"}},
        {"ri", {u"\u00e9.", u"st$", u"\\x{212a}"}},
    };
    std::vector<Search> all;
    for (const auto& [flags, finds] : by_flags) {
      for (const std::u16string& find : finds) all.push_back({find, flags});
    }
    // Non-ASCII separators make the word test read the characters around a hit exactly.
    all.push_back({u"k", "w", u"\u00e9\U0001F600\u212a"});
    all.push_back({u"s", "iw", u"\uFFFD\u00c9"});
    all.push_back({u"\\w", "rw", u"\uFFFD\u00e9"});
    return all;
  }();
  return searches;
}

void WriteRandomFiles(const ScratchFolder& folder, const CharsetCase& charset, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<std::string> pool = kCommon;
  pool.insert(pool.end(), charset.fragments.begin(), charset.fragments.end());
  std::uniform_int_distribution<size_t> pick(0, pool.size() - 1);
  std::uniform_int_distribution<int> length(0, 40);
  for (int file = 0; file < 40; ++file) {
    std::string bytes;
    int n = length(rng);
    for (int i = 0; i < n; ++i) bytes += pool[pick(rng)];
    folder.Write("f" + std::to_string(file) + ".txt", bytes);
  }
  // Fixed ones: only ASCII, and only non-ASCII.
  folder.Write("ascii.txt", "k K st return\r\nRETURN kelvin\n");
  std::string non_ascii;
  for (const std::string& fragment : charset.fragments) non_ascii += fragment;
  folder.Write("non_ascii.txt", non_ascii);
  // Every fragment on both sides of short words, for the word-only test's neighbours.
  std::string words;
  for (const std::string& fragment : pool) words += fragment + "k" + fragment + "s" + fragment;
  folder.Write("words.txt", words);
}

TEST(FindShortcutsTest, EveryCharsetGivesTheRowsOfAFullDecode) {
  size_t rows = 0;
  for (const CharsetCase& charset : Charsets()) {
    ScratchFolder folder;
    WriteRandomFiles(folder, charset, 20261205);
    for (const Search& search : Searches()) {
      FindConditions conditions = ConditionsFor(folder.path(), search.find, search.flags);
      conditions.coding = charset.charset;
      conditions.separators = search.separators;
      for (const char16_t* line_feed : {u"\r\n", u"\n"}) {
        conditions.line_feed_code = line_feed;
        std::string full = RunTranscript(conditions, false);
        EXPECT_EQ(RunTranscript(conditions, true), full)
            << charset.charset << " " << search.flags << " " << search.find.size();
        rows += std::count(full.begin(), full.end(), '\n');
      }
    }
  }
  EXPECT_GT(rows, 5000u);  // the comparison covered real hits
}

struct Expectation {
  const char* name;
  const char* charset;
  std::string bytes;
  std::u16string find;
  bool ignore_case;
  std::string rows;
};

// Cases where a byte-level shortcut would go wrong if it trusted the bytes too far.
TEST(FindShortcutsTest, BytesThatLookLikeAHitAreNoHit) {
  const std::vector<Expectation> cases = {
      {"Shift_JIS trail byte 0x5C is no backslash", "shift_jis", "\x95\x5C\\", u"\\", false,
       "a.txt:1:2:\\:2\n"},
      {"Shift_JIS trail byte 0x41 is no A", "shift_jis",
       "\x82\x41"
       "A",
       u"a", true, "a.txt:1:2:A:2\n"},
      {"UTF-8 BOM is not counted", "utf-8", "\xEF\xBB\xBFx ab", u"ab", false, "a.txt:1:3:ab:3\n"},
      {"KELVIN SIGN in UTF-8", "utf-8",
       "\xE2\x84\xAA"
       "elvin",
       u"kelvin", true,
       "a.txt:1:1:\xE2\x84\xAA"
       "elvin:1\n"},
      {"hit next to an invalid byte", "utf-8",
       "\xFF"
       "ab\xC3",
       u"ab", false, "a.txt:1:2:ab:2\n"},
      {"invalid bytes become U+FFFD", "utf-8",
       "a\xFF\xFE"
       "b",
       u"\uFFFD", false, "a.txt:1:2:\xEF\xBF\xBD:2\na.txt:1:3:\xEF\xBF\xBD:3\n"},
      {"UTF-16 with BOM", "unicode",
       std::string("\xFF\xFE"
                   "a\0b\0\r\0\n\0a\0b\0",
                   14),
       u"ab", false, "a.txt:1:1:ab:1\na.txt:2:1:ab:5\n"},
      {"windows-1252 euro sign", "windows-1252", "5\x80 5", u"\u20ac", false,
       "a.txt:1:2:\xE2\x82\xAC:2\n"},
  };
  for (const Expectation& c : cases) {
    ScratchFolder folder;
    folder.Write("a.txt", c.bytes);
    FindConditions conditions = ConditionsFor(folder.path(), c.find);
    conditions.coding = c.charset;
    conditions.ignore_case = c.ignore_case;
    conditions.line_feed_code = u"\r\n";
    EXPECT_EQ(RunTranscript(conditions, true), c.rows) << c.name;
    EXPECT_EQ(RunTranscript(conditions, false), c.rows) << c.name;
  }
}

}  // namespace
}  // namespace quonder
