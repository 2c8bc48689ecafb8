#include "core/settings/default_editor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/fileops/editor_command.h"

namespace quonder {
namespace {

bool IsExecutableFile(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
         ::faccessat(AT_FDCWD, path.c_str(), X_OK, AT_EACCESS) == 0;
}

bool OnPath(std::string_view program, std::string_view path_variable) {
  while (!path_variable.empty()) {
    const size_t colon = path_variable.find(':');
    const std::string_view folder = path_variable.substr(0, colon);
    path_variable = colon == std::string_view::npos ? "" : path_variable.substr(colon + 1);
    if (folder.empty() || folder.front() != '/') continue;
    if (IsExecutableFile(std::string(folder) + "/" + std::string(program))) return true;
  }
  return false;
}

}  // namespace

std::string ChooseDefaultEditor(std::string_view path_variable) {
  for (const LineColumnEditor& editor : kLineColumnEditors) {
    if (OnPath(editor.program, path_variable)) return editor.command;
  }
  return kDefaultEditor;
}

}  // namespace quonder
