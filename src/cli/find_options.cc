#include "cli/find_options.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <filesystem>
#include <system_error>

#include "cli/program_folder.h"
#include "core/fileops/file_common.h"
#include "core/settings/find_settings.h"
#include "core/settings/history.h"
#include "core/settings/ini_file_common.h"
#include "core/settings/settings_location.h"
#include "core/text/utf_convert.h"

namespace quonder {
namespace {

bool ParseLineFeed(const std::string& text, std::u16string& code) {
  if (text == "crlf") {
    code = u"\r\n";
  } else if (text == "cr") {
    code = u"\r";
  } else if (text == "lf") {
    code = u"\n";
  } else {
    return false;
  }
  return true;
}

// Every condition the settings file holds, read as the window reads it; the find text and
// the extension list are the latest entries of their histories.
Status ApplySettingsFile(const std::string& file, const std::string& default_charset,
                         const std::vector<std::string>& charset_names,
                         FindConditions& conditions) {
  std::error_code error;
  if (!std::filesystem::exists(file, error)) {
    return Status::Error(Status::Code::kNotFound, "Settings file not found: \"" + file + "\"");
  }
  const SettingsDefaults defaults{HomeFolder(), charset_names, default_charset};
  const IniSnapshot ini(file);
  FindSettings settings;
  Status status = ReadFindSettings(ini, defaults, settings);
  if (!status.ok()) return status;
  ApplyFindSettings(settings, conditions);
  // The run takes its folder literally, as given on the command line; a settings file's holds
  // references to expand.
  conditions.source_folder = ExpandEnvVariables(conditions.source_folder);
  conditions.find_text = ToUtf16(LatestHistoryEntry("FindHistory", "Find", ini));
  conditions.extensions = ToUtf16(LatestHistoryEntry("ExtentionsHistory", "Extentions", ini));
  return Status::Ok();
}

// "-" and two or more letters: several short options written as one.
bool IsShortCluster(const std::string& arg) {
  if (arg.size() < 3 || arg[0] != '-') return false;
  return std::all_of(arg.begin() + 1, arg.end(),
                     [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); });
}

}  // namespace

bool ParseCount(const std::string& text, int64_t max, int64_t& value) {
  int64_t parsed = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
  if (error != std::errc() || end != text.data() + text.size() || parsed < 0 || parsed > max) {
    return false;
  }
  value = parsed;
  return true;
}

ParseOutcome ParseFindOptions(const std::vector<std::string>& given, FindOptionValues& values,
                              std::string& error, const ExtraOptionParser& extra) {
  values = FindOptionValues();
  std::vector<std::string> args = given;
  bool options_ended = false;
  for (size_t i = 0; i < args.size(); ++i) {
    if (!options_ended && IsShortCluster(args[i])) {
      // "-si" stands for "-s -i", as with grep. No short option takes a value, so a cluster
      // never holds one.
      std::vector<std::string> parts;
      for (size_t k = 1; k < args[i].size(); ++k) parts.push_back({'-', args[i][k]});
      args.erase(args.begin() + static_cast<std::ptrdiff_t>(i));
      args.insert(args.begin() + static_cast<std::ptrdiff_t>(i), parts.begin(), parts.end());
    }
    const std::string& arg = args[i];
    if (options_ended || arg.size() < 2 || arg[0] != '-') {
      values.positionals.push_back(arg);
      continue;
    }
    if (arg == "--") {
      options_ended = true;
      continue;
    }
    if (arg == "-h" || arg == "--help") return ParseOutcome::kHelp;
    if (arg == "-e" || arg == "--regex") {
      values.reg_exp = true;
    } else if (arg == "-i" || arg == "--ignore-case") {
      values.ignore_case = true;
    } else if (arg == "-w" || arg == "--word-only") {
      values.word_only = true;
    } else if (arg == "-s" || arg == "--subfolders") {
      values.sub_folders = true;
    } else if (arg == "--exclude") {
      values.exclude = true;
    } else if (arg == "--separator" || arg == "--max-size" || arg == "--ext" || arg == "--coding" ||
               arg == "--line-feed" || arg == "--ini") {
      if (i + 1 >= args.size()) {
        error = "option " + arg + " needs a value";
        return ParseOutcome::kUsageError;
      }
      const std::string& value = args[++i];
      if (arg == "--separator") {
        values.separators = value;
      } else if (arg == "--ext") {
        values.extensions = value;
      } else if (arg == "--coding") {
        values.coding = value;
      } else if (arg == "--ini") {
        values.ini_file = value;
      } else if (arg == "--max-size") {
        int64_t bytes = 0;
        if (!ParseCount(value, INT32_MAX, bytes)) {
          error = "--max-size takes a number of bytes from 0 to 2147483647, not \"" + value + "\"";
          return ParseOutcome::kUsageError;
        }
        values.max_size = static_cast<int32_t>(bytes);
      } else {
        std::u16string code;
        if (!ParseLineFeed(value, code)) {
          error = "--line-feed takes crlf, cr or lf, not \"" + value + "\"";
          return ParseOutcome::kUsageError;
        }
        values.line_feed_code = code;
      }
    } else {
      int taken = extra ? extra(args, i, error) : 0;
      if (taken < 0) return ParseOutcome::kUsageError;
      if (taken == 0) {
        error = "unknown option " + arg;
        return ParseOutcome::kUsageError;
      }
      i += static_cast<size_t>(taken) - 1;
    }
  }
  return ParseOutcome::kOk;
}

Status ResolveFindConditions(const FindOptionValues& values,
                             const std::optional<std::string>& find_text,
                             const std::optional<std::string>& folder,
                             const std::string& default_charset,
                             const std::vector<std::string>& charset_names,
                             FindConditions& conditions) {
  conditions = FindConditions();
  conditions.coding = default_charset;
  // Without --ext every file qualifies: an empty list excludes nothing.
  conditions.ext_behavior = ExtBehavior::kExclude;
  // The shell has expanded what the user meant to expand: FOLDER is a folder of that name.
  conditions.literal_folders = true;
  if (values.ini_file) {
    Status status = ApplySettingsFile(*values.ini_file, default_charset, charset_names, conditions);
    if (!status.ok()) return status;
  }
  // Bytes that are no UTF-8 would turn into U+FFFD and find (and replace) that character.
  if (find_text && !IsValidUtf8(*find_text)) {
    return Status::Error(Status::Code::kInvalidArgument, "FIND_TEXT is not valid UTF-8");
  }
  if (find_text) conditions.find_text = ToUtf16(*find_text);
  if (folder) conditions.source_folder = *folder;
  if (values.reg_exp) conditions.reg_exp = true;
  if (values.ignore_case) conditions.ignore_case = true;
  if (values.word_only) conditions.word_only = true;
  if (values.sub_folders) conditions.sub_folders = true;
  if (values.separators) conditions.separators = ToUtf16(*values.separators);
  if (values.max_size) conditions.max_size = *values.max_size;
  if (values.extensions) {
    conditions.extensions = ToUtf16(*values.extensions);
    conditions.ext_behavior = ExtBehavior::kInclude;
  }
  if (values.exclude) conditions.ext_behavior = ExtBehavior::kExclude;
  if (values.coding) conditions.coding = *values.coding;
  if (values.line_feed_code) conditions.line_feed_code = *values.line_feed_code;

  if (conditions.find_text.empty()) {
    return Status::Error(Status::Code::kInvalidArgument, "no FIND_TEXT given");
  }
  if (conditions.source_folder.empty()) {
    return Status::Error(Status::Code::kInvalidArgument, "no FOLDER given");
  }
  return Status::Ok();
}

const char* FindOptionsHelp() {
  return "  -e, --regex          FIND_TEXT is a regular expression (multi-line; Found cells\n"
         "                       show \\\\ \\r \\n \\t \\v escaped)\n"
         "  -i, --ignore-case    upper and lower case letters are equal\n"
         "  -w, --word-only      only hits with a separator (or nothing) on both sides\n"
         "      --separator TEXT the separator characters of --word-only; TAB, CR and LF are\n"
         "                       always added (default: _,. \"#&'()|[]{}<>)\n"
         "  -s, --subfolders     search the subfolders too\n"
         "      --max-size BYTES only files smaller than BYTES; 0 (the default) is no limit\n"
         "      --ext LIST       only files whose extension occurs in LIST, compared without\n"
         "                       regard to case (\"txt;htm\"); without --ext every file\n"
         "      --exclude        the files whose extension occurs in the --ext LIST are skipped\n"
         "      --coding NAME    the files' charset (default: the code set table's default)\n"
         "      --line-feed CODE crlf, cr or lf (default): what ends a line for Line and Column\n"
         "      --ini FILE       take every condition from section FindSetting of the settings\n"
         "                       file FILE (and FIND_TEXT, the extension list and FOLDER from\n"
         "                       it when not given); the options given here win\n"
         "  -h, --help           this text\n"
         "  --                   ends the options (for a FIND_TEXT that starts with '-')\n";
}

Status ConditionsFromCommandLine(const FindOptionValues& values, FindConditions& conditions) {
  const size_t count = values.positionals.size();
  if (count > 2 || (!values.ini_file && count != 2)) {
    return Status::Error(Status::Code::kInvalidArgument,
                         count > 2 ? "too many arguments" : "FIND_TEXT and FOLDER are needed");
  }
  std::optional<std::string> find_text, folder;
  if (count >= 1) find_text = values.positionals[0];
  if (count >= 2) folder = values.positionals[1];
  std::vector<std::string> charset_names;
  std::string default_charset;
  // The table gives the default charset and the charsets a settings file may name; a charset
  // given by name needs neither.
  Status table = LoadCharsetChoices(charset_names, default_charset);
  if (!table.ok() && !values.coding) return table;
  return ResolveFindConditions(values, find_text, folder, default_charset, charset_names,
                               conditions);
}

}  // namespace quonder
