#include "core/settings/folder_fields.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/scoped_env.h"
#include "support/scratch_folder.h"

namespace quonder {
namespace {

namespace fs = std::filesystem;

struct Message {
  std::string prompt;
  std::string title;
  int style;
};

// A folder field whose box, browser and message box are recorded instead of shown.
class FakeFolderField : public FolderFieldView {
 public:
  void SetBoxText(const std::string& text) override { box_text = text; }
  std::string BrowseForFolder(const std::string& start) override {
    browse_starts.push_back(start);
    // nullopt plays the user pressing Cancel: the browser hands back its start folder.
    std::optional<std::string> answer =
        browse_answers.empty() ? std::nullopt : browse_answers.front();
    if (!browse_answers.empty()) browse_answers.pop_front();
    return answer.value_or(start);
  }
  void ShowMessage(const std::string& prompt, const std::string& title, int style) override {
    messages.push_back({prompt, title, style});
  }

  std::string box_text = "untouched";
  std::deque<std::optional<std::string>> browse_answers;
  std::vector<std::string> browse_starts;
  std::vector<Message> messages;
};

class FakeSettingsFile : public SettingsFileView {
 public:
  explicit FakeSettingsFile(const std::string* ini_file) : ini_file_(ini_file) {}
  std::string ChooseSettingsFileToOpen(const std::string& folder) override {
    open_folders.push_back(folder);
    return answer;
  }
  std::string ChooseSettingsFileToSave(const std::string& folder) override {
    save_folders.push_back(folder);
    return answer;
  }
  void LoadSettings() override { loaded_from.push_back(*ini_file_); }
  void ShowMessage(const std::string& prompt, const std::string& title, int style) override {
    messages.push_back({prompt, title, style});
  }

  std::string answer;  // "" plays Cancel
  std::vector<std::string> open_folders, save_folders, loaded_from;
  std::vector<Message> messages;

 private:
  const std::string* ini_file_;
};

class FolderFieldsTest : public ::testing::Test {
 protected:
  FolderFieldsTest() {
    env_.Set("QUONDER_TEST_ROOT", root_);
    env_.Unset("QUONDER_TEST_UNSET");
  }

  std::string Folder(const std::string& name) {
    fs::create_directories(scratch_.Path(name));
    return scratch_.Path(name);
  }
  std::string Write(const std::string& name, const std::string& content) {
    return scratch_.Write(name, content);
  }

  testing::ScratchFolder scratch_;
  const std::string root_ = scratch_.path();
  testing::ScopedEnv env_;
  FakeFolderField field_;
  std::string value_ = "previous";
};

void ExpectOneAlarm(const std::vector<Message>& messages, int style = 48) {
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].title, "Find Text Alarm");
  EXPECT_EQ(messages[0].style, style);
}

TEST_F(FolderFieldsTest, ApplyFolderPathAcceptsOnlyExistingFolders) {
  const std::string folder = Folder("src");
  const std::string file = Write("a.txt", "x");
  struct Case {
    std::string path;
    bool accepted;
  };
  const Case cases[] = {
      {folder, true},
      {folder + "/", true},
      {"%QUONDER_TEST_ROOT%/src", true},  // kept as typed, checked expanded
      {"%QUONDER_TEST_ROOT%", true},
      {"", false},
      {file, false},  // a file is not a folder
      {folder + "/missing", false},
      {"%QUONDER_TEST_UNSET%/src", false},  // an unset reference stays literal
      {"%QUONDER_TEST_ROOT%/a.txt", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    FakeFolderField box;
    std::string target = "previous";
    EXPECT_EQ(ApplyFolderPath(c.path, box, target), c.accepted);
    EXPECT_EQ(target, c.accepted ? c.path : "previous");
    EXPECT_EQ(box.box_text, c.accepted ? c.path : "untouched");
    if (c.accepted) {
      EXPECT_TRUE(box.messages.empty());
    } else {
      ExpectOneAlarm(box.messages);
      EXPECT_EQ(box.messages[0].prompt, "Folder Path is Not Correct!!");
    }
  }
}

// What was typed reaches the window state whether or not it passes.
TEST_F(FolderFieldsTest, TypedTextIsKeptAsTyped) {
  Folder("src");
  EXPECT_TRUE(ValidateFolderField("%QUONDER_TEST_ROOT%/src", field_, value_));
  EXPECT_EQ(value_, "%QUONDER_TEST_ROOT%/src");
  EXPECT_EQ(field_.box_text, "%QUONDER_TEST_ROOT%/src");
  const std::string typed = root_ + "/nowhere";
  EXPECT_FALSE(ValidateFolderField(typed, field_, value_));
  EXPECT_EQ(value_, typed);
  EXPECT_EQ(field_.box_text, "%QUONDER_TEST_ROOT%/src");
  ExpectOneAlarm(field_.messages);
}

TEST_F(FolderFieldsTest, BrowseStartsAtTheExpandedValue) {
  const std::string src = Folder("src"), chosen = Folder("chosen");
  struct Case {
    const char* what;
    std::string value;
    std::optional<std::string> answer;  // nullopt: Cancel, which gives back the start
    bool accepted;
    std::string value_after, box_after;
  };
  const std::vector<Case> cases = {
      {"chosen", "%QUONDER_TEST_ROOT%/src", chosen, true, chosen, chosen},
      {"cancel writes the reference out expanded", "%QUONDER_TEST_ROOT%/src", std::nullopt, true,
       src, src},
      {"cancel of an empty field", "", std::nullopt, false, "", "untouched"},
      {"the browser failed", src, "", false, src, "untouched"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeFolderField box;
    box.browse_answers.push_back(c.answer);
    std::string value = c.value;
    EXPECT_EQ(BrowseFolderField(box, value), c.accepted);
    EXPECT_EQ(box.browse_starts, std::vector<std::string>{c.value.empty() ? "" : src});
    EXPECT_EQ(value, c.value_after);
    EXPECT_EQ(box.box_text, c.box_after);
    EXPECT_EQ(box.messages.size(), c.accepted ? 0u : 1u);
  }
}

TEST_F(FolderFieldsTest, DropTakesTheFirstItemOnly) {
  const std::string first = Folder("first"), second = Folder("second");
  const std::string file = Write("a.ini", "[FindSetting]\n");
  struct Case {
    std::vector<std::string> dropped;
    std::string value_after;
    size_t messages;
  };
  const std::vector<Case> cases = {
      {{first, second}, first, 0},
      {{file, second}, "previous", 1},  // a file is rejected even with a folder behind it
      {{}, "previous", 0},              // nothing dropped: ignored
  };
  for (const Case& c : cases) {
    FakeFolderField box;
    std::string value = "previous";
    EXPECT_EQ(DropOnFolderField(c.dropped, box, value), c.value_after == first);
    EXPECT_EQ(value, c.value_after);
    EXPECT_EQ(box.messages.size(), c.messages);
  }
}

TEST_F(FolderFieldsTest, SelectSettingSwitchesTheFileBeforeReloading) {
  std::string ini = Write("Quonder.ini", "[FindSetting]\nMaxSize=1\n");
  const std::string other = Write("empty.ini", "; holds none of the keys\n");
  FakeSettingsFile view(&ini);
  EXPECT_FALSE(SelectSetting(view, ini));  // cancelled: nothing changes
  EXPECT_TRUE(view.loaded_from.empty());
  view.answer = other;
  EXPECT_TRUE(SelectSetting(view, ini));
  EXPECT_EQ(ini, other);
  EXPECT_EQ(view.open_folders, (std::vector<std::string>{root_, root_}));
  // The reload must already read the new file.
  EXPECT_EQ(view.loaded_from, std::vector<std::string>{other});
  EXPECT_EQ(scratch_.Read("Quonder.ini"), "[FindSetting]\nMaxSize=1\n");
}

// A document chosen by mistake would be rewritten with the settings: it is refused, and the
// file in use stays, unread again.
TEST_F(FolderFieldsTest, SelectSettingRefusesADocument) {
  std::string ini = Write("Quonder.ini", "[FindSetting]\nMaxSize=1\n");
  const std::string notes = Write("notes.txt", "Call Ann.\n");
  FakeSettingsFile view(&ini);
  view.answer = notes;
  EXPECT_FALSE(SelectSetting(view, ini));
  EXPECT_EQ(ini, scratch_.Path("Quonder.ini"));
  EXPECT_TRUE(view.loaded_from.empty());
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0].prompt, "\"" + notes +
                                         "\" is not a settings file: it holds text but no "
                                         "[section] line, so it is no INI file\r\n"
                                         "The settings file in use stays\r\n" +
                                         ini);
  EXPECT_EQ(view.messages[0].title, "Find Text Alarm");
  EXPECT_EQ(scratch_.Read("notes.txt"), "Call Ann.\n");
}

TEST_F(FolderFieldsTest, ExportReplacesAnExistingFileWithoutAsking) {
  const std::string ini = Write("Quonder.ini", "[FindSetting]\r\nCoding=utf-8\r\n");
  const std::string target = Write("old.ini", "stale content that is longer than the new one");
  FakeSettingsFile view(&ini);
  EXPECT_FALSE(ExportSetting(view, ini));  // cancelled: nothing copied, nothing said
  view.answer = target;
  EXPECT_TRUE(ExportSetting(view, ini));
  EXPECT_EQ(scratch_.Read("old.ini"), "[FindSetting]\r\nCoding=utf-8\r\n");
  EXPECT_EQ(view.save_folders, (std::vector<std::string>{root_, root_}));
  EXPECT_TRUE(view.messages.empty());
  EXPECT_TRUE(view.loaded_from.empty());
}

TEST_F(FolderFieldsTest, FailedExportIsReportedWithItsReasonAndKeepsTheSource) {
  const std::string ini = Write("Quonder.ini", "[FindSetting]\n");
  const std::string regular_file = Write("plain", "not a folder");
  const std::string read_only = Write("read-only.ini", "kept");
  fs::permissions(read_only, fs::perms::owner_read);
  fs::create_directory_symlink(root_, scratch_.Path("alias"));
  struct Case {
    const char* why;
    std::string source, target;
    const char* said;  // part of the message
  };
  const Case cases[] = {
      // Root may write anywhere, but nothing can be created below a regular file.
      {"below a regular file", ini, regular_file + "/export.ini", "Not a directory"},
      {"a read-only target", ini, read_only, "read-only"},
      {"the file in use", ini, ini, "in use"},
      {"the file in use through a link", ini, scratch_.Path("alias/Quonder.ini"), "in use"},
      {"a file not yet written", scratch_.Path("never-written.ini"), scratch_.Path("export.ini"),
       "not been written"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    FakeSettingsFile view(&c.source);
    view.answer = c.target;
    EXPECT_FALSE(ExportSetting(view, c.source));
    ExpectOneAlarm(view.messages, 16);
    EXPECT_NE(view.messages[0].prompt.find(c.target), std::string::npos);
    EXPECT_NE(view.messages[0].prompt.find(c.said), std::string::npos) << view.messages[0].prompt;
    EXPECT_EQ(scratch_.Read("Quonder.ini"), "[FindSetting]\n");
  }
  EXPECT_EQ(scratch_.Read("plain"), "not a folder");
  EXPECT_EQ(scratch_.Read("read-only.ini"), "kept");
  EXPECT_FALSE(scratch_.Exists("export.ini"));
}

}  // namespace
}  // namespace quonder
