#include "support/scratch_folder.h"

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace quonder::testing {
namespace fs = std::filesystem;

ScratchFolder::ScratchFolder() : ScratchFolder(fs::temp_directory_path().string()) {}

ScratchFolder::ScratchFolder(const std::string& parent) {
  std::string pattern = (fs::path(parent) / "quonder-test-XXXXXX").string();
  char* made = ::mkdtemp(pattern.data());
  path_ = made != nullptr ? made : "";
}

ScratchFolder::~ScratchFolder() {
  if (path_.empty()) return;
  std::error_code ignored;
  for (auto it = fs::recursive_directory_iterator(
           path_, fs::directory_options::skip_permission_denied, ignored);
       it != fs::recursive_directory_iterator(); it.increment(ignored)) {
    if (!it->is_symlink(ignored)) {
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
  }
  fs::remove_all(path_, ignored);
}

std::string ScratchFolder::Write(const std::string& relative, const std::string& bytes) const {
  fs::path full = fs::path(path_) / relative;
  fs::create_directories(full.parent_path());
  std::ofstream(full, std::ios::binary) << bytes;
  return full.string();
}

std::vector<std::string> FilesBelow(const std::string& folder) {
  std::vector<std::string> files;
  std::error_code ignored;
  for (auto it = fs::recursive_directory_iterator(folder, ignored);
       it != fs::recursive_directory_iterator(); it.increment(ignored)) {
    if (it->is_regular_file(ignored)) {
      files.push_back(it->path().lexically_relative(folder).generic_string());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::string ContentsBelow(const std::string& folder) {
  std::string contents;
  for (const std::string& file : FilesBelow(folder)) {
    contents += file + "=" + ReadBytes(folder + "/" + file) + "\n";
  }
  return contents;
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string ScratchFolder::Read(const std::string& relative) const {
  return ReadBytes(Path(relative));
}

bool ScratchFolder::Exists(const std::string& relative) const {
  std::error_code ignored;
  return fs::exists(fs::symlink_status(Path(relative), ignored));
}

std::vector<std::string> ScratchFolder::Files(const std::string& relative) const {
  return FilesBelow(relative.empty() ? path_ : Path(relative));
}

std::string ScratchFolder::Contents(const std::string& relative) const {
  return ContentsBelow(relative.empty() ? path_ : Path(relative));
}

}  // namespace quonder::testing
