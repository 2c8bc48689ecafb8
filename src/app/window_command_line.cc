#include "app/window_command_line.h"

#include <string_view>

#include "app/folder_argument.h"
#include "core/settings/settings_file_check.h"

namespace quonder {
namespace {

// Options of the toolkit that take a value (as "-style NAME" or "-style=NAME"), and those
// that take none.
constexpr std::string_view kToolkitValueOptions[] = {
    "-platform", "-style",           "-stylesheet",   "-display",
    "-geometry", "-qwindowgeometry", "-qwindowtitle", "-platformtheme"};
constexpr std::string_view kToolkitFlags[] = {"-reverse"};

// How many arguments a toolkit option at `arg` takes (itself included); 0 when it is none.
int ToolkitOption(std::string_view arg, bool has_next) {
  for (std::string_view flag : kToolkitFlags) {
    if (arg == flag) return 1;
  }
  for (std::string_view option : kToolkitValueOptions) {
    if (arg == option) return has_next ? 2 : 0;
    if (arg.size() > option.size() && arg.substr(0, option.size()) == option &&
        arg[option.size()] == '=') {
      return 1;
    }
  }
  return 0;
}

}  // namespace

WindowCommandLine ParseWindowCommandLine(const std::vector<std::string>& args) {
  WindowCommandLine result;
  const auto usage_error = [&result](std::string error) {
    result.action = WindowCommandLine::Action::kUsageError;
    result.error = std::move(error);
    return result;
  };
  std::vector<std::string> files;
  bool options_ended = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (options_ended || arg.empty() || arg[0] != '-') {
      files.push_back(arg);
    } else if (arg == "--") {
      options_ended = true;
    } else if (arg == "-h" || arg == "--help") {
      result.action = WindowCommandLine::Action::kHelp;
      return result;
    } else if (arg == "--version") {
      result.action = WindowCommandLine::Action::kVersion;
      return result;
    } else if (int taken = ToolkitOption(arg, i + 1 < args.size())) {
      i += static_cast<size_t>(taken) - 1;
    } else {
      return usage_error("unknown option " + arg);
    }
  }
  if (files.size() > 1) {
    return usage_error(
        "only one FOLDER or SETTINGS_FILE can be given (quote a path that holds blanks)");
  }
  if (!files.empty()) {
    std::string path = files.front();
    if (path.size() >= 2 && path.front() == '"' && path.back() == '"') {
      path = path.substr(1, path.size() - 2);
    }
    if (path.empty()) return usage_error("the FOLDER or SETTINGS_FILE is empty");
    FolderArgument folder = ReadFolderArgument(path);
    switch (folder.kind) {
      case FolderArgument::Kind::kNotFolder:
        if (Status usable = CheckSettingsFile(path); usable.ok()) {
          result.settings_file = path;
        } else {
          result.settings_refusal =
              usable.message() + "; the default settings file is used instead";
        }
        break;
      case FolderArgument::Kind::kFolder:
        result.source_folder = std::move(folder.folder);
        break;
      case FolderArgument::Kind::kRefused:
        result.folder_refusal = std::move(folder.refusal);
        break;
    }
  }
  return result;
}

const char* WindowHelp() {
  return "Usage: quonder [OPTION]... [FOLDER | SETTINGS_FILE]\n"
         "Finds a text in every file of a folder, lists each hit, and replaces, copies or\n"
         "opens them.\n"
         "\n"
         "FOLDER, an existing folder (or a link to one), goes into Source Folder as an\n"
         "absolute path, for this window only: the settings file keeps its folder until a\n"
         "command such as Find stores the conditions. A folder whose path is not valid\n"
         "UTF-8, or holds a %NAME% that the field would expand to another path, is refused\n"
         "with a message.\n"
         "Any other path is SETTINGS_FILE, the settings file to use (made when missing).\n"
         "A file that holds text but no [section] line (a document, not an INI file), or\n"
         "that cannot be read or is binary, is not used, and never written: the window\n"
         "says why and uses the default settings file.\n"
         "Without either, or with FOLDER: Quonder.ini beside the program when the program\n"
         "runs from its build folder or a portable copy that may be written, else\n"
         "$XDG_CONFIG_HOME/quonder/Quonder.ini (~/.config/quonder/).\n"
         "\n"
         "  -h, --help     this text\n"
         "      --version  the program's version\n"
         "  --             ends the options (for a path that starts with '-')\n"
         "Qt's display options (-platform NAME, -style NAME, -display DISPLAY, ...) are\n"
         "passed to Qt.\n";
}

}  // namespace quonder
