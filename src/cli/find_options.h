// The options of `quonder-cli find`, parsed so that any command built on a find run (replace)
// takes the same ones and adds its own.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/search/find_conditions.h"
#include "core/status.h"

namespace quonder {

// What the command line said; an option that was not given stays unset, so that a settings
// file (--ini) can supply it.
struct FindOptionValues {
  bool reg_exp = false;                          // -e, --regex
  bool ignore_case = false;                      // -i, --ignore-case
  bool word_only = false;                        // -w, --word-only
  bool sub_folders = false;                      // -s, --subfolders
  bool exclude = false;                          // --exclude
  std::optional<std::string> separators;         // --separator TEXT
  std::optional<int32_t> max_size;               // --max-size BYTES
  std::optional<std::string> extensions;         // --ext LIST
  std::optional<std::string> coding;             // --coding NAME
  std::optional<std::u16string> line_feed_code;  // --line-feed crlf|cr|lf
  std::optional<std::string> ini_file;           // --ini FILE
  std::vector<std::string> positionals;          // in order; "--" ends the options
};

enum class ParseOutcome { kOk, kHelp, kUsageError };

// A command's own options: looks at args[index]; returns how many arguments it took (0 when the
// option is not its own), or -1 after setting `error` for a wrong value.
using ExtraOptionParser =
    std::function<int(const std::vector<std::string>& args, size_t index, std::string& error)>;

// An option's number: decimal digits only (no sign, blank or exponent), from 0 to `max`.
bool ParseCount(const std::string& text, int64_t max, int64_t& value);

// Parses `args` (the arguments after the command's name); short options may be written as one
// ("-si"). kUsageError sets `error` to a one-line reason; kHelp when --help or -h was given.
ParseOutcome ParseFindOptions(const std::vector<std::string>& args, FindOptionValues& values,
                              std::string& error, const ExtraOptionParser& extra = nullptr);

// Builds the run's conditions: the defaults below, then (with --ini) every condition of the
// settings file, read by the same rules as the window reads them (find_settings.h) with the
// latest find and extension history entries, then the command line, which wins. `find_text`
// and `folder` are the positional arguments, unset when not given (then taken from the
// settings file). Without a settings file: the 17 separators, no size limit, every file (no
// --ext), charset `default_charset`, line feed LF.
// kInvalidArgument when the find text or the folder is still missing (a usage error);
// kNotFound when the settings file does not exist, kIoError when it cannot be read (not a
// regular file, over 16 MB, no permission).
Status ResolveFindConditions(const FindOptionValues& values,
                             const std::optional<std::string>& find_text,
                             const std::optional<std::string>& folder,
                             const std::string& default_charset,
                             const std::vector<std::string>& charset_names,
                             FindConditions& conditions);

// The conditions the command line asks for: FIND_TEXT and FOLDER from the positionals (either
// may be left out with --ini), the charset choices of the table beside the program, then
// ResolveFindConditions. kInvalidArgument is a usage error; any other failure means the command
// cannot run.
Status ConditionsFromCommandLine(const FindOptionValues& values, FindConditions& conditions);

// The option lines of --help, one per option, each ending in a line feed.
const char* FindOptionsHelp();

}  // namespace quonder
