// The command line of the window program: `quonder [OPTION]... [FOLDER | SETTINGS_FILE]`. Read
// before the toolkit starts, so that --help and --version work without a display.
//
// An argument that starts with '-' is an option unless it follows "--"; the one other
// argument is a folder to search when it names an existing folder (folder_argument.h), else
// the settings file, when it may serve as one (core/settings/settings_file_check.h: a document
// given to "Open With" is never written into). Qt's own display options (-platform NAME, -style
// NAME, ...) are let through for the toolkit, which takes them itself.
#pragma once

#include <string>
#include <vector>

namespace quonder {

struct WindowCommandLine {
  enum class Action { kRun, kHelp, kVersion, kUsageError };
  Action action = Action::kRun;
  // kRun: the settings file named, "" when none was or it cannot serve (then the default
  // place is used). A path given in double quotes (as some launchers pass it) comes without
  // them.
  std::string settings_file;
  // kRun: the folder named, as an absolute path, for this window's Source Folder; "" when none
  // was. The settings file is then the default one.
  std::string source_folder;
  // kRun: why a folder that was named cannot be shown (one line); the window opens as without
  // it and tells the user this.
  std::string folder_refusal;
  // kRun: why a file that was named is not used as the settings file (one line); the window
  // opens as without it, on the default settings file, and tells the user this.
  std::string settings_refusal;
  std::string error;  // kUsageError: one line that says what is wrong
};

// `args` are the arguments after the program's name.
WindowCommandLine ParseWindowCommandLine(const std::vector<std::string>& args);

// The text of --help.
const char* WindowHelp();

}  // namespace quonder
