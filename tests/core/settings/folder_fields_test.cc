#include "core/settings/folder_fields.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

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
  void SetUp() override {
    root_ = fs::temp_directory_path() /
            ("quonder_folder_fields_" + std::to_string(::getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_);
    ::setenv("QUONDER_TEST_ROOT", root_.c_str(), 1);
    ::unsetenv("QUONDER_TEST_UNSET");
  }
  void TearDown() override {
    ::unsetenv("QUONDER_TEST_ROOT");
    fs::remove_all(root_);
  }

  std::string Folder(const std::string& name) {
    fs::create_directories(root_ / name);
    return (root_ / name).string();
  }
  std::string Write(const std::string& name, const std::string& content) {
    std::ofstream(root_ / name, std::ios::binary) << content;
    return (root_ / name).string();
  }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  fs::path root_;
  FakeFolderField field_;
  std::string value_ = "previous";
};

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
    if (c.accepted) {
      EXPECT_EQ(target, c.path);
      EXPECT_EQ(box.box_text, c.path);
      EXPECT_TRUE(box.messages.empty());
    } else {
      EXPECT_EQ(target, "previous");
      EXPECT_EQ(box.box_text, "untouched");
      ASSERT_EQ(box.messages.size(), 1u);
      EXPECT_EQ(box.messages[0].prompt, "Folder Path is Not Correct!!");
      EXPECT_EQ(box.messages[0].title, "Find Text Alarm");
      EXPECT_EQ(box.messages[0].style, 48);
    }
  }
}

TEST_F(FolderFieldsTest, TypedReferenceIsKeptAsTyped) {
  Folder("src");
  EXPECT_TRUE(ValidateFolderField("%QUONDER_TEST_ROOT%/src", field_, value_));
  EXPECT_EQ(value_, "%QUONDER_TEST_ROOT%/src");
  EXPECT_EQ(field_.box_text, "%QUONDER_TEST_ROOT%/src");
  EXPECT_TRUE(field_.messages.empty());
}

TEST_F(FolderFieldsTest, TypedWrongPathStillReachesTheWindowState) {
  const std::string typed = (root_ / "nowhere").string();
  EXPECT_FALSE(ValidateFolderField(typed, field_, value_));
  EXPECT_EQ(value_, typed);
  EXPECT_EQ(field_.box_text, "untouched");
  ASSERT_EQ(field_.messages.size(), 1u);
  EXPECT_EQ(field_.messages[0].prompt, kFolderPathNotCorrect);
}

TEST_F(FolderFieldsTest, BrowseStartsAtTheExpandedValueAndTakesTheChoice) {
  const std::string chosen = Folder("chosen");
  Folder("src");
  value_ = "%QUONDER_TEST_ROOT%/src";
  field_.browse_answers.push_back(chosen);
  EXPECT_TRUE(BrowseFolderField(field_, value_));
  EXPECT_EQ(field_.browse_starts, std::vector<std::string>{root_.string() + "/src"});
  EXPECT_EQ(value_, chosen);
  EXPECT_EQ(field_.box_text, chosen);
}

TEST_F(FolderFieldsTest, CancelledBrowseWritesTheReferenceOutExpanded) {
  Folder("src");
  value_ = "%QUONDER_TEST_ROOT%/src";
  EXPECT_TRUE(BrowseFolderField(field_, value_));
  EXPECT_EQ(value_, root_.string() + "/src");
  EXPECT_EQ(field_.box_text, root_.string() + "/src");
  EXPECT_TRUE(field_.messages.empty());
}

TEST_F(FolderFieldsTest, CancelledBrowseOfAnEmptyFieldIsRejected) {
  value_ = "";
  field_.box_text = "";
  EXPECT_FALSE(BrowseFolderField(field_, value_));
  EXPECT_EQ(field_.browse_starts, std::vector<std::string>{""});
  EXPECT_EQ(value_, "");
  EXPECT_EQ(field_.box_text, "");
  ASSERT_EQ(field_.messages.size(), 1u);
  EXPECT_EQ(field_.messages[0].prompt, kFolderPathNotCorrect);
}

TEST_F(FolderFieldsTest, FailedBrowseLeavesTheFieldAlone) {
  Folder("src");
  value_ = root_.string() + "/src";
  field_.browse_answers.push_back(std::string());  // browser failure gives ""
  EXPECT_FALSE(BrowseFolderField(field_, value_));
  EXPECT_EQ(value_, root_.string() + "/src");
  EXPECT_EQ(field_.box_text, "untouched");
}

TEST_F(FolderFieldsTest, DropTakesTheFirstFolderOnly) {
  const std::string first = Folder("first");
  const std::string second = Folder("second");
  EXPECT_TRUE(DropOnFolderField({first, second}, field_, value_));
  EXPECT_EQ(value_, first);
  EXPECT_EQ(field_.box_text, first);
}

TEST_F(FolderFieldsTest, DropOfAFileIsRejectedEvenWithAFolderBehindIt) {
  const std::string file = Write("a.ini", "[FindSetting]\n");
  const std::string folder = Folder("folder");
  EXPECT_FALSE(DropOnFolderField({file, folder}, field_, value_));
  EXPECT_EQ(value_, "previous");
  EXPECT_EQ(field_.box_text, "untouched");
  ASSERT_EQ(field_.messages.size(), 1u);
  EXPECT_EQ(field_.messages[0].prompt, "Folder Path is Not Correct!!");
}

TEST_F(FolderFieldsTest, DropWithoutEntriesIsIgnored) {
  EXPECT_FALSE(DropOnFolderField({}, field_, value_));
  EXPECT_EQ(value_, "previous");
  EXPECT_TRUE(field_.messages.empty());
}

TEST_F(FolderFieldsTest, SelectSettingSwitchesTheFileBeforeReloading) {
  std::string ini = Write("Quonder.ini", "[FindSetting]\nMaxSize=1\n");
  const std::string other = Write("empty.ini", "; holds none of the keys\n");
  FakeSettingsFile view(&ini);
  view.answer = other;
  EXPECT_TRUE(SelectSetting(view, ini));
  EXPECT_EQ(ini, other);
  EXPECT_EQ(view.open_folders, std::vector<std::string>{root_.string()});
  // The reload must already read the new file.
  EXPECT_EQ(view.loaded_from, std::vector<std::string>{other});
  EXPECT_EQ(Read(root_ / "Quonder.ini"), "[FindSetting]\nMaxSize=1\n");
}

TEST_F(FolderFieldsTest, CancelledSelectSettingChangesNothing) {
  std::string ini = Write("Quonder.ini", "x");
  FakeSettingsFile view(&ini);
  EXPECT_FALSE(SelectSetting(view, ini));
  EXPECT_EQ(ini, root_.string() + "/Quonder.ini");
  EXPECT_TRUE(view.loaded_from.empty());
}

TEST_F(FolderFieldsTest, ExportReplacesAnExistingFileWithoutAsking) {
  const std::string ini = Write("Quonder.ini", "[FindSetting]\r\nCoding=utf-8\r\n");
  const std::string target = Write("old.ini", "stale content that is longer than the new one");
  FakeSettingsFile view(&ini);
  view.answer = target;
  EXPECT_TRUE(ExportSetting(view, ini));
  EXPECT_EQ(Read(target), "[FindSetting]\r\nCoding=utf-8\r\n");
  EXPECT_EQ(view.save_folders, std::vector<std::string>{root_.string()});
  EXPECT_TRUE(view.messages.empty());
  EXPECT_TRUE(view.loaded_from.empty());
}

TEST_F(FolderFieldsTest, FailedExportIsReportedAndKeepsTheSource) {
  const std::string ini = Write("Quonder.ini", "[FindSetting]\n");
  const std::string regular_file = Write("plain", "not a folder");
  fs::create_directory_symlink(root_, root_ / "alias");
  struct Case {
    const char* why;
    std::string target;
  };
  const Case cases[] = {
      // Root may write anywhere, but nothing can be created below a regular file.
      {"below a regular file", regular_file + "/export.ini"},
      {"the file in use", ini},
      {"the file in use through a link", (root_ / "alias" / "Quonder.ini").string()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    FakeSettingsFile view(&ini);
    view.answer = c.target;
    EXPECT_FALSE(ExportSetting(view, ini));
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].title, "Find Text Alarm");
    EXPECT_NE(view.messages[0].prompt.find(c.target), std::string::npos);
    EXPECT_EQ(Read(ini), "[FindSetting]\n");
  }
  EXPECT_EQ(Read(regular_file), "not a folder");
}

TEST_F(FolderFieldsTest, ExportOfAFileNotYetWrittenIsReported) {
  const std::string ini = (root_ / "never-written.ini").string();
  FakeSettingsFile view(&ini);
  view.answer = (root_ / "export.ini").string();
  EXPECT_FALSE(ExportSetting(view, ini));
  EXPECT_EQ(view.messages.size(), 1u);
  EXPECT_FALSE(fs::exists(root_ / "export.ini"));
}

TEST_F(FolderFieldsTest, CancelledExportCopiesNothing) {
  const std::string ini = Write("Quonder.ini", "x");
  FakeSettingsFile view(&ini);
  EXPECT_FALSE(ExportSetting(view, ini));
  EXPECT_TRUE(view.messages.empty());
}

}  // namespace
}  // namespace quonder
