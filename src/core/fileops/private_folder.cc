#include "core/fileops/private_folder.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

#include "core/fileops/file_common.h"

namespace quonder {

namespace fs = std::filesystem;

PrivateFolder::PrivateFolder(PrivateFolder&& other) noexcept { *this = std::move(other); }

PrivateFolder& PrivateFolder::operator=(PrivateFolder&& other) noexcept {
  path_ = std::exchange(other.path_, std::string());
  device_ = other.device_;
  inode_ = other.inode_;
  return *this;
}

Status PrivateFolder::Make(const std::string& parent, const std::string& prefix,
                           PrivateFolder& folder) {
  folder = PrivateFolder();
  // mkdtemp creates the folder itself with mode 0700 and fails on any existing name, a link
  // included: nothing another user prepared is ever taken over.
  std::string pattern = BuildPath(parent, prefix + "XXXXXX");
  struct stat st;
  if (::mkdtemp(pattern.data()) == nullptr || ::lstat(pattern.c_str(), &st) != 0) {
    return Status::Error(Status::Code::kIoError, "Cannot make a private folder in \"" + parent +
                                                     "\": " + std::strerror(errno));
  }
  folder.path_ = std::move(pattern);
  folder.device_ = st.st_dev;
  folder.inode_ = st.st_ino;
  return Status::Ok();
}

bool PrivateFolder::Remove() {
  const std::string path = std::exchange(path_, std::string());
  struct stat st;
  if (path.empty() || ::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) ||
      st.st_dev != device_ || st.st_ino != inode_) {
    return false;
  }
  return DeleteFolderTree(path, /*force=*/true);
}

bool IsPrivateFolder(const std::string& path) {
  struct stat st;
  return !path.empty() && ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
         st.st_uid == ::geteuid() && (st.st_mode & 077) == 0;
}

bool EmptyPrivateFolder(const std::string& path) {
  if (!IsPrivateFolder(path)) return false;
  std::error_code error;
  std::vector<fs::path> entries;
  for (fs::directory_iterator it(path, error), end; !error && it != end; it.increment(error)) {
    entries.push_back(it->path());
  }
  if (error) return false;
  bool all_gone = true;
  for (const fs::path& entry : entries) {
    const fs::file_status status = fs::symlink_status(entry, error);
    if (!error && fs::is_directory(status)) {
      all_gone = DeleteFolderTree(entry.string(), /*force=*/true) && all_gone;
    } else {
      all_gone = fs::remove(entry, error) && !error && all_gone;
    }
  }
  return all_gone;
}

}  // namespace quonder
