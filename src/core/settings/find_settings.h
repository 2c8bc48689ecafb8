// The settings file as values: every key of sections FindSetting and Status with its default
// and with what a value that does not fit falls back to, read and written the same way by the
// window and by quonder-cli. The histories are history.h's; the file access is
// ini_file_common.h's.
//
// How values are read (the same for every key): a number must be the whole text (blanks
// around it aside, "1abc" and "0x10" are no numbers) and is read with a '.' whatever the
// locale; a check value (0 clear, 1 checked, 2 greyed) is the number rounded half to even, and
// anything else, a number outside 0..2 included, is the key's default.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/search/find_conditions.h"
#include "core/settings/history.h"
#include "core/status.h"

namespace quonder {

inline constexpr char kFindSettingSection[] = "FindSetting";
inline constexpr char kStatusSection[] = "Status";
inline constexpr char kEditorKey[] = "Editor";
inline constexpr char kWindowSizeKey[] = "WindowSize";
inline constexpr char kColsWidthKey[] = "ColsWidth";
inline constexpr int32_t kDefaultMaxSize = 10240;
inline constexpr std::array<int32_t, 6> kDefaultColumnTwips = {600, 4200, 810, 810, 2100, 900};

// Defaults that depend on the machine.
struct SettingsDefaults {
  std::string home_folder;                 // default of SourceFolder and CopyFolder
  std::vector<std::string> charset_names;  // the code set table's names, in table order
  std::string default_charset;             // default of Coding, and its fallback
};

// Section FindSetting.
struct FindSettings {
  std::string source_folder;  // SourceFolder, as entered (%NAME% kept); default: home folder
  std::string copy_folder;    // CopyFolder, as entered; default: home folder
  int use_reg_exp = 0;        // UseRegExp, a check value; default 0
  int ignore_case = 0;        // IgnoreCase, a check value; default 0
  int word_only = 0;          // WordOnly, a check value; default 0
  std::string separator;      // Separator; default the 17 characters of kDefaultSeparators
  // Editor, the command template of editor_command.h; nullopt while the file holds none (the
  // window then chooses one, default_editor.h).
  std::optional<std::string> editor;
  int sub_folder = 0;                  // SubFolder, a check value with fractions cut off; 0
  int32_t max_size = kDefaultMaxSize;  // MaxSize, bytes (0 no limit) up to 2^31-1; 10240
  // ExtBehavior, 0 Include or 1 Exclude; default (and fallback) Exclude, so that an empty
  // extension list keeps every file.
  ExtBehavior ext_behavior = ExtBehavior::kExclude;
  std::string coding;     // Coding, a charset name of the table; default the table's default
  int coding_index = -1;  // where the stored Coding stands in the table; -1 when it is not there
  std::string line_feed_code = "\n";  // LineFeedCode: CR LF, CR or LF; default and fallback LF
  int enable_restore = 0;             // EnableRestore, a check value; default 0
};

// Reads section FindSetting of `file` into `settings`, each missing or unfitting value giving
// its default. The result is OK for a readable or missing file; for a file that cannot be read
// (not a regular file, over 16 MB, no permission, binary) it says why, and every value is
// its default.
Status ReadFindSettings(const std::string& file, const SettingsDefaults& defaults,
                        FindSettings& settings);
// The same from a reading of the file that other values are taken from too.
Status ReadFindSettings(const IniSnapshot& ini, const SettingsDefaults& defaults,
                        FindSettings& settings);

// The conditions that `settings` give a find run: every field but the find text and the
// extension list (the histories'). A check value counts as on when 1, and for UseRegExp also
// when 2 (greyed).
void ApplyFindSettings(const FindSettings& settings, FindConditions& conditions);

// Where a find run's histories come from.
struct HistoryInUse {
  HistoryBox* box;   // its current text is added
  int32_t capacity;  // as loaded
};

// What a find run stores before it starts, in this order: SourceFolder, the find history,
// UseRegExp, IgnoreCase, WordOnly, Separator, SubFolder, MaxSize, the extension history (an
// empty extension list is not added), ExtBehavior, Coding, LineFeedCode. Every write is tried;
// the result is the first failure.
Status StoreFindRunSettings(const FindSettings& settings, HistoryInUse find_history,
                            HistoryInUse extentions_history, const std::string& file);

// Section Status, in twips.
struct WindowStatus {
  // WindowSize: outer Left, Top, Width, Height, each rounded; nullopt where the field is
  // empty or not a number. Default ",,9795," (no height: the window keeps the one it is made
  // with, which shows 15 result rows).
  std::array<std::optional<int32_t>, 4> window_size;
  // ColsWidth: the widths of the six result columns, rounded; a missing or unreadable field
  // gives the column's default width (kDefaultColumnTwips).
  std::array<int32_t, 6> cols_width = kDefaultColumnTwips;
};

WindowStatus ReadWindowStatus(const std::string& file);
// The same from a reading of the file that other values are taken from too.
WindowStatus ReadWindowStatus(const IniSnapshot& ini);

// The measures joined by commas, each in plain decimal notation with at most seven
// significant digits ("0,0,9795,6120.5"): the stored form of WindowSize and ColsWidth.
std::string FormatMeasures(const double* measures, size_t count);

}  // namespace quonder
