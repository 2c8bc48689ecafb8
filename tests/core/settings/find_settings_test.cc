// The settings model shared by the window and quonder-cli: each key's default, how a value
// that does not fit falls back, the conditions a run takes from them, and the stored form, in
// the C locale and under one whose decimal mark is a comma.
#include "core/settings/find_settings.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "core/fileops/atomic_file.h"
#include "core/settings/ini_file_common.h"
#include "support/comma_locale.h"
#include "support/fake_history_box.h"
#include "support/scratch_folder.h"

namespace quonder {
namespace {

using Probe = std::function<std::string(const FindSettings&)>;

std::string Number(int64_t value) { return std::to_string(value); }

const std::map<std::string, Probe>& Probes() {
  static const std::map<std::string, Probe> probes = {
      {"SourceFolder", [](const FindSettings& s) { return s.source_folder; }},
      {"CopyFolder", [](const FindSettings& s) { return s.copy_folder; }},
      {"UseRegExp", [](const FindSettings& s) { return Number(s.use_reg_exp); }},
      {"IgnoreCase", [](const FindSettings& s) { return Number(s.ignore_case); }},
      {"WordOnly", [](const FindSettings& s) { return Number(s.word_only); }},
      {"Separator", [](const FindSettings& s) { return s.separator; }},
      {"Editor", [](const FindSettings& s) { return s.editor.value_or("<none>"); }},
      {"SubFolder", [](const FindSettings& s) { return Number(s.sub_folder); }},
      {"MaxSize", [](const FindSettings& s) { return Number(s.max_size); }},
      {"ExtBehavior",
       [](const FindSettings& s) { return Number(static_cast<int>(s.ext_behavior)); }},
      {"Coding", [](const FindSettings& s) { return s.coding + "/" + Number(s.coding_index); }},
      {"LineFeedCode", [](const FindSettings& s) { return s.line_feed_code; }},
      {"EnableRestore", [](const FindSettings& s) { return Number(s.enable_restore); }},
  };
  return probes;
}

class FindSettingsTest : public ::testing::Test {
 protected:
  FindSettings Read(const std::string& ini_text, Status* status = nullptr) {
    scratch_.Write("Quonder.ini", ini_text);
    FindSettings settings;
    Status read = ReadFindSettings(file_, defaults_, settings);
    if (status != nullptr) *status = read;
    return settings;
  }

  testing::ScratchFolder scratch_;
  const std::string file_ = scratch_.Path("Quonder.ini");
  const SettingsDefaults defaults_{"/home/u", {"shift_jis", "", "utf-8", "utf-16le"}, "utf-8"};
};

// The defaults a user relies on: check boxes off, every file below a size limit, LF lines, the
// home folder.
TEST_F(FindSettingsTest, EmptySectionGivesTheDefaults) {
  Status status;
  const FindSettings settings = Read("; nothing set\n[FindSetting]\n", &status);
  EXPECT_TRUE(status.ok());
  EXPECT_EQ(settings.use_reg_exp + settings.ignore_case + settings.word_only + settings.sub_folder +
                settings.enable_restore,
            0);  // every check box off
  EXPECT_EQ(settings.ext_behavior, ExtBehavior::kExclude);
  EXPECT_EQ(settings.max_size, 10240);
  EXPECT_EQ(settings.line_feed_code, "\n");
  EXPECT_EQ(settings.source_folder, "/home/u");
  EXPECT_EQ(settings.coding, "utf-8");
}

// Each value as the window reads it; the first rows are where quonder-cli once read otherwise
// (a leading number, hex, rounding SubFolder).
TEST_F(FindSettingsTest, ValuesThatDoNotFitFallBack) {
  struct Case {
    const char* key;
    const char* value;
    const char* expected;
  };
  const std::vector<Case> cases = {
      {"UseRegExp", "1abc", "0"},
      {"SubFolder", "1.7", "1"},
      {"MaxSize", "0x10", "10240"},
      {"UseRegExp", "2", "2"},
      {"UseRegExp", "7", "0"},
      {"IgnoreCase", "0.6", "1"},
      {"IgnoreCase", " 1 ", "1"},
      {"WordOnly", "yes", "0"},
      {"SubFolder", "2.9", "2"},
      {"SubFolder", "1e300", "0"},
      {"EnableRestore", "-1", "0"},
      {"MaxSize", "1000", "1000"},
      {"MaxSize", "99999999999", "10240"},
      {"MaxSize", "0", "0"},
      {"MaxSize", "1e3", "1000"},
      {"MaxSize", "1,5", "10240"},
      {"ExtBehavior", "0", "0"},
      {"ExtBehavior", "5", "1"},
      {"ExtBehavior", "Exclude", "1"},
      {"Coding", "shift_jis", "shift_jis/0"},
      {"Coding", "UTF-8", "utf-8/-1"},
      {"Coding", "klingon", "utf-8/-1"},
      {"Coding", "utf-16le", "utf-16le/3"},
      {"LineFeedCode", "\\r\\n", "\r\n"},
      {"LineFeedCode", "\\r", "\r"},
      {"LineFeedCode", "\\n\\r", "\n"},
      {"LineFeedCode", "LF", "\n"},
      {"Separator", "a\\\\b\\t", "a\\b\t"},
      {"Editor", "", ""},
      {"SourceFolder", "%HOME%/x", "%HOME%/x"},
  };
  for (const Case& c : cases) {
    const FindSettings settings =
        Read(std::string("[FindSetting]\n") + c.key + "=" + c.value + "\n");
    EXPECT_EQ(Probes().at(c.key)(settings), c.expected) << c.key << "=" << c.value;
  }
}

TEST_F(FindSettingsTest, AnUnreadableFileSaysWhyAndGivesTheDefaults) {
  scratch_.Write("Quonder.ini/inside", "a folder where the file should be");
  FindSettings settings;
  const Status status = ReadFindSettings(file_, defaults_, settings);
  EXPECT_EQ(status.code(), Status::Code::kIoError);
  EXPECT_NE(status.message().find("not a regular file"), std::string::npos) << status.message();
  EXPECT_EQ(settings.max_size, kDefaultMaxSize);
}

TEST_F(FindSettingsTest, ConditionsTakeCheckValuesAsTheWindowDoes) {
  FindSettings settings = Read(
      "[FindSetting]\nSourceFolder=/src\nUseRegExp=2\nIgnoreCase=2\nWordOnly=1\nSubFolder=1\n"
      "Separator=;\nMaxSize=5\nExtBehavior=0\nCoding=shift_jis\nLineFeedCode=\\r\n");
  FindConditions conditions;
  ApplyFindSettings(settings, conditions);
  EXPECT_TRUE(conditions.reg_exp);  // greyed counts as on here only
  EXPECT_FALSE(conditions.ignore_case);
  EXPECT_TRUE(conditions.word_only);
  EXPECT_TRUE(conditions.sub_folders);
  EXPECT_EQ(conditions.separators, u";");
  EXPECT_EQ(conditions.max_size, 5);
  EXPECT_EQ(conditions.ext_behavior, ExtBehavior::kInclude);
  EXPECT_EQ(conditions.coding, "shift_jis");
  EXPECT_EQ(conditions.line_feed_code, u"\r");
  EXPECT_EQ(conditions.source_folder, "/src");
}

void ExpectRoundTrip(const std::string& file, const SettingsDefaults& defaults) {
  FindSettings settings;
  settings.source_folder = "/data/src";
  settings.use_reg_exp = 1;
  settings.sub_folder = 2;
  settings.separator = ";  \t";
  settings.max_size = 512;
  settings.ext_behavior = ExtBehavior::kInclude;
  settings.coding = "shift_jis";
  settings.coding_index = 0;
  settings.line_feed_code = "\r\n";
  testing::FakeHistoryBox find("needle"), extensions;
  // One rewrite for the run's own keys and one for the find history: each is flushed to disk,
  // and a Find waits for them.
  int rewrites = 0;
  SetBeforeRenameHookForTesting([&rewrites](const std::string&) { ++rewrites; });
  ASSERT_TRUE(StoreFindRunSettings(settings, {&find, 32}, {&extensions, 32}, file).ok());
  SetBeforeRenameHookForTesting(nullptr);
  EXPECT_EQ(rewrites, 2);
  FindSettings read;
  ASSERT_TRUE(ReadFindSettings(file, defaults, read).ok());
  for (const auto& [key, probe] : Probes()) {
    if (key != "CopyFolder" && key != "Editor") {
      EXPECT_EQ(probe(read), probe(settings)) << key;
    }
  }
  EXPECT_EQ(LatestHistoryEntry("FindHistory", "Find", IniSnapshot(file)), "needle");
  // An empty extension list is not added: it would hide the older entries.
  std::vector<std::string> keys;
  EXPECT_EQ(GetIniKeys("ExtentionsHistory", keys, file), 0);

  // Fractional measures keep their point.
  const double measures[4] = {0, 15.5, 9795.5, 6120};
  ASSERT_TRUE(WriteIniString(kStatusSection, kWindowSizeKey, FormatMeasures(measures, 4), file));
  std::string stored;
  GetIniString(kStatusSection, kWindowSizeKey, "", stored, file);
  EXPECT_EQ(stored, "0,15.5,9795.5,6120");
  const WindowStatus status = ReadWindowStatus(file);
  EXPECT_EQ(status.window_size[1], 16);  // halves to even
  EXPECT_EQ(status.window_size[2], 9796);
}

TEST_F(FindSettingsTest, StoredValuesReadBackTheSame) { ExpectRoundTrip(file_, defaults_); }

TEST_F(FindSettingsTest, StoredValuesReadBackTheSameUnderACommaDecimalLocale) {
  testing::CommaDecimalLocale locale;
  ASSERT_TRUE(locale.active()) << locale.error();
  ExpectRoundTrip(file_, defaults_);
  scratch_.Write("Quonder.ini", "[FindSetting]\nMaxSize=1.5e3\n");
  FindSettings settings;
  ReadFindSettings(file_, defaults_, settings);
  EXPECT_EQ(settings.max_size, 1500);
}

TEST_F(FindSettingsTest, WindowStatusFieldsAreNumbersOrLeftOut) {
  struct Case {
    const char* ini;
    std::array<std::optional<int32_t>, 4> size;
    std::array<int32_t, 6> columns;
  };
  const std::vector<Case> cases = {
      {"", {std::nullopt, std::nullopt, 9795, std::nullopt}, kDefaultColumnTwips},
      {"WindowSize=abc,,10200\nColsWidth=700,abc,810,,2100,-5\n",
       {std::nullopt, std::nullopt, 10200, std::nullopt},
       {700, 4200, 810, 810, 2100, -5}},
      {"WindowSize=1,2,3,4,5\nColsWidth=15,30,45,60,75,90,7\n",
       {1, 2, 3, 4},
       {15, 30, 45, 60, 75, 90}},
  };
  for (const Case& c : cases) {
    scratch_.Write("Quonder.ini", std::string("[Status]\n") + c.ini);
    const WindowStatus status = ReadWindowStatus(file_);
    EXPECT_EQ(status.window_size, c.size) << c.ini;
    EXPECT_EQ(status.cols_width, c.columns) << c.ini;
  }
}

}  // namespace
}  // namespace quonder
