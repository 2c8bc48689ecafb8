// Where the settings file lives when the command line names none, following the desktop's
// rules for per-user configuration: a build tree or a portable copy keeps it beside the
// program, an installed program in the user's configuration folder.
#pragma once

#include <string>

#include "core/status.h"

namespace quonder {

inline constexpr char kSettingsFileName[] = "Quonder.ini";

// $HOME, else the home folder of the user's account; "/" when neither is known.
std::string HomeFolder();

// Quonder.ini beside the program when the program's folder holds its data file
// CharCodeSet.ini (so it is a build tree or a portable copy, not an installed bin folder that
// its owner happens to be able to write) and the process may create files there. Otherwise
// Quonder.ini in the folder "quonder" of `config_home` ($XDG_CONFIG_HOME), or of
// `home`/.config when `config_home` is empty or not an absolute path.
std::string DefaultSettingsFile(const std::string& program_folder, const std::string& config_home,
                                const std::string& home);

// The same with $XDG_CONFIG_HOME and HomeFolder() of this process.
std::string DefaultSettingsFile(const std::string& program_folder);

// Creates the folder that is to hold `settings_file`, with any missing parents; folders made
// here are private to the user (0700). OK when it exists already.
Status CreateSettingsFolder(const std::string& settings_file);

}  // namespace quonder
