#include "core/settings/settings_location.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "core/fileops/file_common.h"

namespace quonder {

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/') return home;
  struct passwd entry;
  struct passwd* found = nullptr;
  char buffer[4096];
  if (::getpwuid_r(::getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found != nullptr &&
      found->pw_dir != nullptr && found->pw_dir[0] == '/') {
    return found->pw_dir;
  }
  return "/";
}

std::string DefaultSettingsFile(const std::string& program_folder, const std::string& config_home,
                                const std::string& home) {
  if (FileExists(BuildPath(program_folder, "CharCodeSet.ini")) &&
      ::faccessat(AT_FDCWD, program_folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0) {
    return BuildPath(program_folder, kSettingsFileName);
  }
  const std::string base =
      !config_home.empty() && config_home.front() == '/' ? config_home : BuildPath(home, ".config");
  return BuildPath(BuildPath(base, "quonder"), kSettingsFileName);
}

std::string DefaultSettingsFile(const std::string& program_folder) {
  const char* config_home = std::getenv("XDG_CONFIG_HOME");
  return DefaultSettingsFile(program_folder, config_home != nullptr ? config_home : "",
                             HomeFolder());
}

Status CreateSettingsFolder(const std::string& settings_file) {
  const std::string folder = GetParentFolderName(settings_file);
  if (folder.empty()) return Status::Ok();  // a bare file name: the working folder holds it
  // Each missing folder from the top down: every part up to a '/' after the first character
  // (the root's own '/' names no part), then the folder itself.
  for (size_t slash = 0; slash != std::string::npos;) {
    slash = folder.find('/', slash + 1);
    const std::string part = folder.substr(0, slash);
    if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
      return Status::Error(Status::Code::kIoError,
                           "Cannot create the folder \"" + part + "\": " + std::strerror(errno));
    }
  }
  return Status::Ok();
}

}  // namespace quonder
