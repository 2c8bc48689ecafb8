#include "core/settings/find_settings.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "core/settings/ini_file_common.h"
#include "core/settings/setting_numbers.h"
#include "core/text/decimal.h"
#include "core/text/string_common.h"
#include "core/text/utf_convert.h"

namespace quonder {
namespace {

// A check value; `floor` cuts a fraction off instead of rounding (SubFolder's way).
int CheckValue(const std::string& text, bool floor = false) {
  std::optional<double> number = ParseNumber(text);
  if (!number) return 0;
  const int32_t value = RoundToInt32(floor ? std::floor(*number) : *number);
  return value >= 0 && value <= 2 ? value : 0;
}

std::string LineFeedCode(const std::string& text) {
  return text == "\r\n" || text == "\r" ? text : std::string("\n");
}

// The comma-separated fields of `text` that are numbers, rounded, each into its place in
// `measures`; the other places keep what they hold.
template <typename Measure, size_t kCount>
void ReadMeasures(const std::string& text, std::array<Measure, kCount>& measures) {
  const std::vector<std::string> fields = SplitFields(text, kCount);
  for (size_t i = 0; i < kCount; ++i) {
    if (std::optional<double> number = ParseNumber(fields[i])) measures[i] = RoundToInt32(*number);
  }
}

// The run's keys of its own section go out in one rewrite (each rewrite is flushed to disk,
// and a Find should not wait for a dozen of them); the histories keep theirs.
class Writer {
 public:
  explicit Writer(const std::string& file) : file_(file) {}
  void Text(const char* key, const std::string& value) { keys_.emplace_back(key, value); }
  void Number(const char* key, int64_t value) { Text(key, Decimal(value)); }
  void History(HistoryInUse history, const char* section) {
    Note(AddToHistory(history.capacity, *history.box, section, file_));
  }
  // Writes the keys given so far.
  void Flush() {
    Status failure;
    if (!WriteIniStrings(kFindSettingSection, keys_, file_, &failure)) Note(failure);
    keys_.clear();
  }
  const Status& status() const { return first_failure_; }

 private:
  void Note(const Status& status) {
    if (!status.ok() && first_failure_.ok()) first_failure_ = status;
  }
  const std::string& file_;
  std::vector<std::pair<std::string, std::string>> keys_;
  Status first_failure_;
};

}  // namespace

Status ReadFindSettings(const std::string& file, const SettingsDefaults& defaults,
                        FindSettings& settings) {
  return ReadFindSettings(IniSnapshot(file), defaults, settings);
}

Status ReadFindSettings(const IniSnapshot& ini, const SettingsDefaults& defaults,
                        FindSettings& settings) {
  const auto get = [&ini](const char* key, const std::string& default_text) {
    return ini.Get(kFindSettingSection, key, EscapeControlChars(default_text));
  };
  settings = FindSettings();
  settings.source_folder = get("SourceFolder", defaults.home_folder);
  settings.copy_folder = get("CopyFolder", defaults.home_folder);
  settings.use_reg_exp = CheckValue(get("UseRegExp", "0"));
  settings.ignore_case = CheckValue(get("IgnoreCase", "0"));
  settings.word_only = CheckValue(get("WordOnly", "0"));
  settings.separator = get("Separator", ToUtf8(kDefaultSeparators));
  if (ini.HasKey(kFindSettingSection, kEditorKey)) settings.editor = get(kEditorKey, "");
  settings.sub_folder = CheckValue(get("SubFolder", "0"), /*floor=*/true);

  std::optional<double> max_size = ParseNumber(get("MaxSize", Decimal(kDefaultMaxSize)));
  settings.max_size =
      max_size && std::fabs(*max_size) <= 2147483647.0 ? RoundToInt32(*max_size) : kDefaultMaxSize;
  std::optional<double> behavior = ParseNumber(get("ExtBehavior", "1"));
  const int32_t behavior_value = behavior ? RoundToInt32(*behavior) : 1;
  settings.ext_behavior = behavior_value == 0 ? ExtBehavior::kInclude : ExtBehavior::kExclude;

  const std::string coding = get("Coding", defaults.default_charset);
  const auto& names = defaults.charset_names;
  const auto listed = std::find(names.begin(), names.end(), coding);
  settings.coding = listed != names.end() ? coding : defaults.default_charset;
  settings.coding_index = listed != names.end() ? static_cast<int>(listed - names.begin()) : -1;

  settings.line_feed_code = LineFeedCode(get("LineFeedCode", "\n"));
  settings.enable_restore = CheckValue(get("EnableRestore", "0"));
  return ini.status();
}

void ApplyFindSettings(const FindSettings& settings, FindConditions& conditions) {
  conditions.reg_exp = settings.use_reg_exp != 0;
  conditions.ignore_case = settings.ignore_case == 1;
  conditions.word_only = settings.word_only == 1;
  conditions.separators = ToUtf16(settings.separator);
  conditions.line_feed_code = ToUtf16(settings.line_feed_code);
  conditions.source_folder = settings.source_folder;
  conditions.sub_folders = settings.sub_folder == 1;
  conditions.max_size = settings.max_size;
  conditions.ext_behavior = settings.ext_behavior;
  conditions.coding = settings.coding;
}

Status StoreFindRunSettings(const FindSettings& settings, HistoryInUse find_history,
                            HistoryInUse extentions_history, const std::string& file) {
  Writer write(file);
  // The file comes out as when each key was written in turn: a new file gets this section
  // first, then the histories' sections.
  write.Text("SourceFolder", settings.source_folder);
  write.Number("UseRegExp", settings.use_reg_exp);
  write.Number("IgnoreCase", settings.ignore_case);
  write.Number("WordOnly", settings.word_only);
  write.Text("Separator", settings.separator);
  write.Number("SubFolder", settings.sub_folder);
  write.Number("MaxSize", settings.max_size);
  write.Number("ExtBehavior", static_cast<int32_t>(settings.ext_behavior));
  write.Text("Coding", settings.coding);
  write.Text("LineFeedCode", settings.line_feed_code);
  write.Flush();
  write.History(find_history, "FindHistory");
  // An empty extension list is not added (AddToHistory): as the top entry it would end the
  // list and hide the older ones.
  write.History(extentions_history, "ExtentionsHistory");
  return write.status();
}

WindowStatus ReadWindowStatus(const std::string& file) {
  return ReadWindowStatus(IniSnapshot(file));
}

WindowStatus ReadWindowStatus(const IniSnapshot& ini) {
  WindowStatus status;
  ReadMeasures(ini.Get(kStatusSection, kWindowSizeKey, ",,9795,"), status.window_size);
  ReadMeasures(ini.Get(kStatusSection, kColsWidthKey, "600,4200,810,810,2100,900"),
               status.cols_width);
  return status;
}

std::string FormatMeasures(const double* measures, size_t count) {
  std::string text;
  for (size_t i = 0; i < count; ++i) {
    if (i > 0) text += ',';
    text += FormatMeasure(measures[i]);
  }
  return text;
}

}  // namespace quonder
