// A document given to Quonder as its settings file (a file manager's "Open With") is refused
// and never written; every form of a real settings file is taken.
#include "core/settings/settings_file_check.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "core/settings/ini_file_common.h"
#include "support/scratch_folder.h"

namespace quonder {
namespace {

using namespace std::string_literals;

TEST(SettingsTextRefusalTest, TakesIniTextAndRefusesOtherText) {
  struct Case {
    const char* what;
    std::string bytes;
    bool usable;
  };
  const std::vector<Case> cases = {
      {"empty", "", true},
      {"blank lines", "\n  \n\t\n", true},
      {"blank CR LF lines", "\r\n \r\n", true},
      {"BOM alone", "\xEF\xBB\xBF", true},
      {"only comments", "; my settings\n# for the project\n", true},
      {"section", "[FindSetting]\nEditor=kate %P\n", true},
      {"BOM then section", "\xEF\xBB\xBF[FindSetting]\nMaxSize=1\n", true},
      {"section after leading comments", "; kept by hand\n\n  [ Status ]  \nk=v\n", true},
      {"CR LF", "[FindSetting]\r\nCoding=utf-8\r\n", true},
      {"header with a comment", "[FindSetting] ; the conditions\n", true},
      {"no line end", "[S]", true},
      {"section late in a document", "Some notes.\n[S]\n", true},
      // A section read in another 8-bit encoding: read as before, never written into.
      {"Latin-1 with a section", "[S]\nname=caf\xE9\n", true},

      {"prose", "Buy milk.\nCall the plumber on Monday.\n", false},
      {"prose with '='", "The result: x = 2 when y=3.\n", false},
      {"keys outside any section", "EDITOR=vim\nPATH=/usr/bin\n", false},
      {"comments and a key", "# settings\nkey=value\n", false},
      {"CR LF prose", "Dear Ann,\r\nthanks.\r\n", false},
      {"BOM then prose", "\xEF\xBB\xBFnotes\n", false},
      {"a heading and prose", "# Notes\n\nThe plan for May.\n", false},
      {"a numbered note", "[1] Smith, 2001.\n", false},
      {"a link", "[the site](https://example.org)\n", false},
      {"a link definition", "[1]: https://example.org\n", false},
      {"log lines", "[12:00:01] started\n[12:00:02] done\n", false},
      {"empty brackets", "[]\n[ ]\n", false},
      {"bracket never closed", "[S\n", false},
      {"Latin-1 prose", "caf\xE9 au lait\n", false},
      {"binary bytes", "[S]\nk=1\n\0\x01\x02"s, false},
      {"a NUL alone", "\0"s, false},
  };
  for (const Case& c : cases) {
    const char* refusal = SettingsTextRefusal(c.bytes);
    EXPECT_EQ(refusal == nullptr, c.usable) << c.what << ": " << (refusal ? refusal : "taken");
  }
}

class CheckSettingsFileTest : public ::testing::Test {
 protected:
  testing::ScratchFolder scratch_;
};

TEST_F(CheckSettingsFileTest, NamesTheFileAndWhyItIsNotUsed) {
  const std::string notes = scratch_.Write("notes.txt", "Buy milk.\n");
  const Status prose = CheckSettingsFile(notes);
  EXPECT_EQ(prose.code(), Status::Code::kInvalidArgument);
  EXPECT_EQ(prose.message(), "\"" + notes +
                                 "\" is not a settings file: it holds text but no [section] "
                                 "line, so it is no INI file");
  // What the reader cannot read cannot serve either.
  const std::string fifo = scratch_.Path("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const Status unreadable = CheckSettingsFile(fifo);
  EXPECT_EQ(unreadable.code(), Status::Code::kIoError);
  EXPECT_NE(unreadable.message().find(fifo), std::string::npos) << unreadable.message();

  EXPECT_TRUE(CheckSettingsFile(scratch_.Path("missing.ini")).ok());  // made by the first write
}

// Whatever path the window or a future caller takes, the write itself does not put keys into a
// document; a file Quonder wrote is always taken again.
TEST_F(CheckSettingsFileTest, WritesRefuseADocumentAndQuonderFilesPassTheCheck) {
  const std::string notes = scratch_.Write("notes.txt", "Buy milk.\nx = 2\n");
  Status failure;
  EXPECT_FALSE(WriteIniString("FindSetting", "Editor", "kate %P", notes, &failure));
  EXPECT_NE(failure.message().find("no [section] line"), std::string::npos) << failure.message();
  EXPECT_EQ(scratch_.Read("notes.txt"), "Buy milk.\nx = 2\n");

  const std::string ini = scratch_.Path("Quonder.ini");
  ASSERT_TRUE(WriteIniString("FindSetting", "Editor", "kate %P", ini));
  ASSERT_TRUE(WriteIniString("Status", "WindowSize", "1,2,3,4", ini));
  EXPECT_TRUE(CheckSettingsFile(ini).ok()) << scratch_.Read("Quonder.ini");
  const std::string comments = scratch_.Write("started.ini", "; for the project\n");
  ASSERT_TRUE(WriteIniString("FindSetting", "MaxSize", "1", comments));
  EXPECT_EQ(scratch_.Read("started.ini"), "; for the project\n\n[FindSetting]\nMaxSize=1\n");
}

}  // namespace
}  // namespace quonder
