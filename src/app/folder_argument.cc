#include "app/folder_argument.h"

#include <filesystem>
#include <system_error>

#include "core/fileops/file_common.h"
#include "core/text/utf_convert.h"

namespace quonder {
namespace {

namespace fs = std::filesystem;

bool HasParentStep(const fs::path& path) {
  for (const fs::path& part : path) {
    if (part == "..") return true;
  }
  return false;
}

FolderArgument Refuse(const std::string& path, const std::string& why) {
  FolderArgument result;
  result.kind = FolderArgument::Kind::kRefused;
  result.refusal = "the folder \"" + path + "\" cannot be put in Source Folder: " + why;
  return result;
}

}  // namespace

FolderArgument ReadFolderArgument(const std::string& path) {
  std::error_code error;
  if (path.empty() || !fs::is_directory(path, error)) return {};
  fs::path absolute = HasParentStep(path) ? fs::canonical(path, error)
                                          : fs::absolute(path, error).lexically_normal();
  if (error)
    return Refuse(path, "its absolute path cannot be worked out (" + error.message() + ")");
  std::string folder = absolute.string();
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();

  if (!IsValidUtf8(folder)) return Refuse(folder, "its path is not valid UTF-8");
  const std::string expanded = ExpandEnvVariables(folder);
  if (expanded != folder) {
    return Refuse(folder,
                  "the field would read the %NAME% in it as an environment variable "
                  "and search \"" +
                      expanded + "\"");
  }
  FolderArgument result;
  result.kind = FolderArgument::Kind::kFolder;
  result.folder = std::move(folder);
  return result;
}

}  // namespace quonder
