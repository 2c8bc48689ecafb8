#include "core/settings/ini_file_common.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "support/scratch_folder.h"

namespace quonder {
namespace {

using namespace std::string_literals;

class IniFileCommonTest : public ::testing::Test {
 protected:
  void Write(const std::string& bytes) { scratch_.Write("Quonder.ini", bytes); }
  std::string Read() const { return scratch_.Read("Quonder.ini"); }
  std::string Get(const std::string& section, const std::string& key,
                  const std::string& default_value = "<default>") {
    std::string value;
    GetIniString(section, key, default_value, value, file_);
    return value;
  }
  std::vector<std::string> Keys(const std::string& section) {
    std::vector<std::string> keys;
    int32_t count = GetIniKeys(section, keys, file_);
    EXPECT_EQ(count, static_cast<int32_t>(keys.size()));
    return keys;
  }

  testing::ScratchFolder scratch_;
  const std::string& folder_ = scratch_.path();
  const std::string file_ = scratch_.Path("Quonder.ini");
};

TEST_F(IniFileCommonTest, ValuesRoundTripThroughTheirStoredForm) {
  struct Case {
    std::string written;
    std::string stored_line;
    std::string read_back;
  };
  const std::vector<Case> cases = {
      {"plain", "k=plain", "plain"},
      {"  spaced  ", "k=spaced", "spaced"},
      {"\ttab\t", "k=\\ttab\\t", "\ttab\t"},  // only spaces are trimmed
      {"line1\r\nline2", "k=line1\\r\\nline2", "line1\r\nline2"},
      {"C:\\temp\\x", "k=C:\\\\temp\\\\x", "C:\\temp\\x"},
      {"\\n literally", "k=\\\\n literally", "\\n literally"},
      {"ends in \\", "k=ends in \\\\", "ends in \\"},
      {"\xE6\x96\x87\xE5\xAD\x97 \xC3\xA9", "k=\xE6\x96\x87\xE5\xAD\x97 \xC3\xA9",
       "\xE6\x96\x87\xE5\xAD\x97 \xC3\xA9"},
      {"", "k=", ""},
      {"cut\0here"s, "k=cut", "cut"},
      {"\"quoted\"", "k=\"quoted\"", "quoted"},  // the reader strips one pair of quotes
      {"a=b;c#d[e]", "k=a=b;c#d[e]", "a=b;c#d[e]"},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(WriteIniString("S", "k", c.written, file_)) << c.stored_line;
    EXPECT_EQ(Read(), "[S]\n" + c.stored_line + "\n");
    EXPECT_EQ(Get("S", "k"), c.read_back) << c.stored_line;
  }
}

TEST_F(IniFileCommonTest, MissingFileSectionOrKeyGivesTheUnescapedDefault) {
  EXPECT_EQ(Get("S", "k", "a\\tb\\\\c\\x"), "a\tb\\c\\x");
  std::string value = "stale";
  EXPECT_EQ(GetIniString("S", "k", "0", value, file_), 1);
  EXPECT_EQ(value, "0");
  EXPECT_TRUE(Keys("S").empty());
  Write("[S]\nk=1\n");
  EXPECT_EQ(Get("T", "k"), "<default>");
  EXPECT_EQ(Get("S", "other"), "<default>");
  EXPECT_EQ(Get("S", "k"), "1");
}

TEST_F(IniFileCommonTest, ReadsValuesTheWayAPersonWroteThem) {
  struct Case {
    const char* what;
    std::string file;
    std::string section;
    std::string key;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"names ignore case", "[Find]\nMaxSize=5\n", "FIND", "maxsize", "5"},
      {"first section wins", "[S]\nk=1\n[s]\nk=2\nonly=3\n", "S", "k", "1"},
      {"later duplicate section unread", "[S]\nk=1\n[S]\nonly=3\n", "S", "only", "<default>"},
      {"first key wins", "[S]\nK=1\nk=2\n", "S", "k", "1"},
      {"blanks trimmed", "[S]\n \tk \t=\t  v  w \t\n", "S", "k", "v  w"},
      {"double quotes", "[S]\nk= \"  v \" \n", "S", "k", "  v "},
      {"single quotes", "[S]\nk='v'\n", "S", "k", "v"},
      {"one pair only", "[S]\nk=\"\"v\"\"\n", "S", "k", "\"v\""},
      {"mixed quotes kept", "[S]\nk=\"v'\n", "S", "k", "\"v'"},
      {"lone quote kept", "[S]\nk=\"\n", "S", "k", "\""},
      {"empty quotes", "[S]\nk=\"\"\n", "S", "k", ""},
      {"value keeps later =", "[S]\nk=a=b\n", "S", "k", "a=b"},
      {"semicolon comment", "[S]\n;k=1\nk=2\n", "S", "k", "2"},
      {"hash comment", "[S]\n  #k=1\n", "S", "k", "<default>"},
      {"keys before sections unreachable", "k=1\n[S]\n", "S", "k", "<default>"},
      {"header with blanks and trailer", "  [ S ] ; note\nk=1\n", "S", "k", "1"},
      {"open bracket line is no header", "[S]\n[T\nk=1\n", "S", "k", "1"},
      {"line without = is no key", "[S]\nk\nk=1\n", "S", "k", "1"},
      {"CRLF", "[S]\r\nk=1 \r\nj=2\r\n", "S", "k", "1"},
      {"BOM", "\xEF\xBB\xBF[S]\nk=1\n", "S", "k", "1"},
      {"no final line end", "[S]\nk=last", "S", "k", "last"},
      {"non-ASCII names match exactly", "[\xC3\x89]\nk=1\n", "\xC3\xA9", "k", "<default>"},
  };
  for (const Case& c : cases) {
    Write(c.file);
    EXPECT_EQ(Get(c.section, c.key), c.expected) << c.what;
  }
}

TEST_F(IniFileCommonTest, LongValuesAreCutAt1023BytesOnACharacterBoundary) {
  const std::string kana = "\xE3\x81\x82";       // 3 bytes
  const std::string emoji = "\xF0\x9F\x98\x80";  // 4 bytes
  struct Case {
    std::string stored;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {std::string(1023, 'a'), std::string(1023, 'a')},
      {std::string(1024, 'a'), std::string(1023, 'a')},
      {std::string(1021, 'a') + kana, std::string(1021, 'a')},
      {std::string(1020, 'a') + kana + "b", std::string(1020, 'a') + kana},
      {std::string(1022, 'a') + emoji, std::string(1022, 'a')},
      {std::string(1019, 'a') + emoji + "b", std::string(1019, 'a') + emoji},
      {"\"" + std::string(1023, 'q') + "\"", std::string(1023, 'q')},  // quotes go first
  };
  for (const Case& c : cases) {
    Write("[S]\nk=" + c.stored + "\n");
    std::string value;
    EXPECT_EQ(GetIniString("S", "k", "", value, file_), static_cast<int32_t>(c.expected.size()));
    EXPECT_EQ(value, c.expected) << c.stored.size();
  }
  // The default goes through the same buffer.
  EXPECT_EQ(Get("S", "missing", std::string(1021, 'd') + kana), std::string(1021, 'd'));
}

TEST_F(IniFileCommonTest, ListsKeysInFileOrder) {
  Write("[Other]\nx=1\n[S]\nb=1\n; c=2\na=2\nnot a key\nB=3\n\n[S]\nlater=4\n");
  EXPECT_EQ(Keys("s"), (std::vector<std::string>{"b", "a"}));
  EXPECT_TRUE(Keys("Missing").empty());
  Write("[S]\n; only a comment\n[T]\nk=1\n");
  EXPECT_TRUE(Keys("S").empty());
}

TEST_F(IniFileCommonTest, KeyListHoldsAFullHistoryAndDropsWhatDoesNotFit) {
  std::string full = "[FindHistory]\n";
  for (int i = 0; i < 1024; ++i) full += std::to_string(i) + "=v\n";
  Write(full);
  std::vector<std::string> keys = Keys("FindHistory");
  ASSERT_EQ(keys.size(), 1024u);
  EXPECT_EQ(keys.front(), "0");
  EXPECT_EQ(keys.back(), "1023");

  // 40 names of 99 bytes take 4000 bytes with their NULs; the next 99-byte name would need
  // 4101 with the closing NUL, so it and every later name are dropped, even a short one.
  auto name = [](int i) { return std::string(97, 'n') + std::to_string(10 + i); };
  std::string crowded = "[S]\n";
  for (int i = 0; i < 41; ++i) crowded += name(i) + "=v\n";
  crowded += "z=v\n";
  Write(crowded);
  keys = Keys("S");
  ASSERT_EQ(keys.size(), 40u);
  EXPECT_EQ(keys.back(), name(39));
}

// A CRLF file with everything a person may keep in it: only the edited lines change.
const std::string kHandWritten =
    "; Quonder settings\r\n"
    "\r\n"
    "[FindSetting]\r\n"
    "Folder = C:\\\\src\r\n"
    "# kept for later\r\n"
    "SubFolder=1\r\n"
    "a line without equals\r\n"
    "\r\n"
    "; about the window\r\n"
    "[Unknown]\r\n"
    "x=1\r\n"
    "[Status]\r\n"
    "Width=100\r\n";

// The hand-written file with `line` put in place of, or after, the line `at`.
std::string HandWrittenWith(const std::string& at, const std::string& line, bool replace) {
  const size_t begin = kHandWritten.find(at + "\r\n");
  const size_t end = begin + at.size() + 2;
  return kHandWritten.substr(0, replace ? begin : end) + line + "\r\n" + kHandWritten.substr(end);
}

TEST_F(IniFileCommonTest, EditsKeepEveryOtherByte) {
  struct Case {
    std::string section, key, value;
    std::string expected;
  };
  const std::vector<Case> cases = {
      // Replacing keeps the text before the value.
      {"findsetting", "FOLDER", "D:\\x",
       HandWrittenWith("Folder = C:\\\\src", "Folder = D:\\\\x", true)},
      // A new key goes after the section's last line, before what leads into the next one.
      {"FindSetting", "Coding", "utf-8",
       HandWrittenWith("a line without equals", "Coding=utf-8", false)},
      {"Status", "Height", "50", kHandWritten + "Height=50\r\n"},
      {"FindHistory", "0", "abc", kHandWritten + "\r\n[FindHistory]\r\n0=abc\r\n"},
  };
  for (const Case& c : cases) {
    Write(kHandWritten);
    ASSERT_TRUE(WriteIniString(c.section, c.key, c.value, file_)) << c.key;
    EXPECT_EQ(Read(), c.expected) << c.key;
  }
}

// The window stores its size and its column widths together: one read and one rewrite, each
// value stored as WriteIniString stores it, and nothing written when one of them cannot be.
TEST_F(IniFileCommonTest, SeveralKeysOfASectionAreWrittenTogetherOrNotAtAll) {
  Write("[Status]\r\nWindowSize=1,2,3,4\r\n[Other]\r\nk=v\r\n");
  ASSERT_TRUE(
      WriteIniStrings("Status", {{"WindowSize", " 5,6,7,8 "}, {"ColsWidth", "1\t2"}}, file_));
  EXPECT_EQ(Get("Status", "WindowSize"), "5,6,7,8");
  EXPECT_EQ(Get("Status", "ColsWidth"), "1\t2");
  const std::string written = Read();
  EXPECT_TRUE(written.starts_with("[Status]\r\nWindowSize=5,6,7,8\r\nColsWidth=")) << written;
  EXPECT_TRUE(written.ends_with("\r\n[Other]\r\nk=v\r\n")) << written;
  Status failure;
  EXPECT_FALSE(WriteIniStrings("Status", {{"WindowSize", "9"}, {"a=b", "1"}}, file_, &failure));
  EXPECT_FALSE(failure.ok());
  EXPECT_EQ(Read(), written);
}

TEST_F(IniFileCommonTest, NewLinesFollowTheFileAndItsBom) {
  struct Case {
    std::string before, section, after;
  };
  const std::vector<Case> cases = {
      {"", "S", "[S]\nk=v\n"},
      {"\xEF\xBB\xBF[S]\r\na=1\r\n", "S", "\xEF\xBB\xBF[S]\r\na=1\r\nk=v\r\n"},
      {"[S]\r\na=1", "S", "[S]\r\na=1\r\nk=v\r\n"},  // last line gets its line end
      {"[S]\r\n", "S", "[S]\r\nk=v\r\n"},            // key right after a bare header
      {"[S]\n;c\n\n", "S", "[S]\nk=v\n;c\n\n"},
      {"[T]\na=1\n\n", "S", "[T]\na=1\n\n[S]\nk=v\n"},  // no second blank line
      {"[T]\na=1", "S", "[T]\na=1\n\n[S]\nk=v\n"},
      // A CR that ends the file is text, not half a line end: it stays in the value before it.
      {"[S]\na=1\r", "S", "[S]\na=1\r\r\nk=v\n"},
      {"[T]\na=1\r", "S", "[T]\na=1\r\r\n\n[S]\nk=v\n"},
      {"\xEF\xBB\xBF", "S", "\xEF\xBB\xBF[S]\nk=v\n"},
  };
  for (const Case& c : cases) {
    if (c.before.empty()) {
      std::filesystem::remove(file_);
    } else {
      Write(c.before);
    }
    ASSERT_TRUE(WriteIniString(c.section, "k", "v", file_)) << c.before;
    EXPECT_EQ(Read(), c.after) << c.before;
  }
}

TEST_F(IniFileCommonTest, DeleteRemovesTheKeyLinesOfTheFirstSectionOnly) {
  Write("[S]\r\nk=1\r\n; note\r\nK=2\r\nj=3\r\n[S]\r\nk=4\r\n");
  ASSERT_TRUE(DeleteIniKey("s", "k", file_));
  EXPECT_EQ(Read(), "[S]\r\n; note\r\nj=3\r\n[S]\r\nk=4\r\n");
  EXPECT_EQ(Get("S", "k"), "<default>");

  // A key that is not there: the file is not even rewritten.
  Write(kHandWritten);
  struct stat before;
  ASSERT_EQ(::stat(file_.c_str(), &before), 0);
  EXPECT_TRUE(DeleteIniKey("FindSetting", "Nothing", file_));
  EXPECT_TRUE(DeleteIniKey("NoSection", "x", file_));
  EXPECT_TRUE(DeleteIniKey("Status", "Width=100", file_));
  EXPECT_EQ(Read(), kHandWritten);
  struct stat after;
  ASSERT_EQ(::stat(file_.c_str(), &after), 0);
  EXPECT_EQ(before.st_ino, after.st_ino);

  std::filesystem::remove(file_);
  EXPECT_TRUE(DeleteIniKey("S", "k", file_));
  EXPECT_FALSE(scratch_.Exists("Quonder.ini"));
}

TEST_F(IniFileCommonTest, WriteToAMissingFolderFails) {
  std::string file = folder_ + "/no/such/Quonder.ini";
  EXPECT_FALSE(WriteIniString("S", "k", "v", file));
  EXPECT_FALSE(std::filesystem::exists(folder_ + "/no"));
  std::string value;
  GetIniString("S", "k", "d", value, file);
  EXPECT_EQ(value, "d");
}

TEST_F(IniFileCommonTest, NamesThatCannotReadBackAreRefused) {
  Write("[S]\nk=1\n");
  const std::pair<const char*, const char*> names[] = {{"S", "a=b"}, {"S", ";k"},   {"S", ""},
                                                       {"S]", "k"},  {"S\nT", "k"}, {" S", "k"}};
  for (const auto& [section, key] : names) {
    EXPECT_FALSE(WriteIniString(section, key, "v", file_)) << section << "/" << key;
  }
  EXPECT_EQ(Read(), "[S]\nk=1\n");
}

TEST_F(IniFileCommonTest, BinaryFilesReadAsEmptyAndAreNeverRewritten) {
  const std::string binary = "[S]\nk=1\n\0\x01\x02[T]\n"s;
  Write(binary);
  EXPECT_EQ(Get("S", "k"), "<default>");
  EXPECT_TRUE(Keys("S").empty());
  EXPECT_FALSE(WriteIniString("S", "k", "2", file_));
  EXPECT_FALSE(DeleteIniKey("S", "k", file_));
  EXPECT_EQ(Read(), binary);
}

// A file in another 8-bit encoding can be read and have lines taken out, but no new text goes
// in, since that would mix two encodings in one file.
TEST_F(IniFileCommonTest, NonUtf8FilesAreReadButNotWrittenInto) {
  const std::string latin1 = "[S]\nname=caf\xE9\nk=1\n";
  Write(latin1);
  EXPECT_EQ(Get("S", "k"), "1");
  EXPECT_EQ(Get("S", "name"), "caf\xE9");
  EXPECT_FALSE(WriteIniString("S", "k", "2", file_));
  EXPECT_EQ(Read(), latin1);
  EXPECT_TRUE(DeleteIniKey("S", "k", file_));
  EXPECT_EQ(Read(), "[S]\nname=caf\xE9\n");
}

TEST_F(IniFileCommonTest, MalformedAndUnreadableFilesNeverCrash) {
  const std::vector<std::string> odd = {
      "]]]\n[[[\n===\n[=]\n=value\n[S\nk=1\n",
      "\r\r\r\n\n\r",
      "[S]" + std::string(100000, '=') + "\n",
      std::string(3, '\xFF'),
      "\xEF\xBB",
  };
  for (const std::string& bytes : odd) {
    Write(bytes);
    EXPECT_EQ(Get("S", "k"), "<default>");
    Keys("S");
    WriteIniString("S", "k", "v", file_);
    DeleteIniKey("S", "k", file_);
  }
  // A folder where the file should be: nothing can be read or written.
  std::filesystem::remove(file_);
  std::filesystem::create_directory(file_);
  EXPECT_EQ(Get("S", "k"), "<default>");
  EXPECT_FALSE(WriteIniString("S", "k", "v", file_));
  EXPECT_FALSE(DeleteIniKey("S", "k", file_));
}

TEST_F(IniFileCommonTest, WritesAreSeenByTheNextRead) {
  ASSERT_TRUE(WriteIniString("FindHistory", "0", "first", file_));
  ASSERT_TRUE(WriteIniString("FindHistory", "1", "second", file_));
  ASSERT_TRUE(WriteIniString("findhistory", "0", "changed", file_));
  EXPECT_EQ(Keys("FindHistory"), (std::vector<std::string>{"0", "1"}));
  EXPECT_EQ(Get("FindHistory", "0"), "changed");
  ASSERT_TRUE(DeleteIniKey("FindHistory", "0", file_));
  EXPECT_EQ(Keys("FindHistory"), (std::vector<std::string>{"1"}));
  EXPECT_EQ(Read(), "[FindHistory]\n1=second\n");
  EXPECT_EQ(scratch_.Files(), std::vector<std::string>{"Quonder.ini"});  // no temporary file
}

TEST_F(IniFileCommonTest, EditsAtTheSameMomentAllSurvive) {
  // Each edit rereads and rewrites the whole file; without serialising them, a write made
  // between another's read and write would be lost.
  constexpr int kWriters = 4;
  constexpr int kKeysEach = 40;
  std::vector<std::thread> writers;
  for (int w = 0; w < kWriters; ++w) {
    writers.emplace_back([this, w] {
      const std::string section = "Writer" + std::to_string(w);
      for (int k = 0; k < kKeysEach; ++k) {
        WriteIniString(section, std::to_string(k), "value", file_);
        if (k % 4 == 3) DeleteIniKey(section, std::to_string(k - 1), file_);
      }
    });
  }
  for (std::thread& writer : writers) writer.join();
  for (int w = 0; w < kWriters; ++w) {
    EXPECT_EQ(Keys("Writer" + std::to_string(w)).size(), static_cast<size_t>(kKeysEach * 3 / 4))
        << "writer " << w;
  }
}

}  // namespace
}  // namespace quonder
