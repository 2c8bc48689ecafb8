#include "core/search/folder_walk.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace quonder {
namespace {

enum class Kind { kFile, kFolder, kOther };

// What the entry is, following a link only to decide whether it names a file.
Kind KindOf(int folder_fd, const dirent& entry) {
  switch (entry.d_type) {
    case DT_REG:
      return Kind::kFile;
    case DT_DIR:
      return Kind::kFolder;
    case DT_LNK: {
      struct stat target;
      if (fstatat(folder_fd, entry.d_name, &target, 0) != 0) return Kind::kOther;
      return S_ISREG(target.st_mode) ? Kind::kFile : Kind::kOther;
    }
    case DT_UNKNOWN: {
      struct stat own;
      if (fstatat(folder_fd, entry.d_name, &own, AT_SYMLINK_NOFOLLOW) != 0) return Kind::kOther;
      if (S_ISREG(own.st_mode)) return Kind::kFile;
      if (S_ISDIR(own.st_mode)) return Kind::kFolder;
      if (!S_ISLNK(own.st_mode)) return Kind::kOther;
      struct stat target;
      if (fstatat(folder_fd, entry.d_name, &target, 0) != 0) return Kind::kOther;
      return S_ISREG(target.st_mode) ? Kind::kFile : Kind::kOther;
    }
    default:
      return Kind::kOther;
  }
}

std::string Describe(const std::string& folder, int error) {
  return "\"" + folder + "\": " + std::strerror(error);
}

}  // namespace

Status ListFolder(const std::string& folder, FolderListing& listing) {
  listing.files.clear();
  listing.folders.clear();
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) {
    int error = errno;
    if (error == ENOENT || error == ENOTDIR) {
      return Status::Error(Status::Code::kNotFound, "Folder not found: " + Describe(folder, error));
    }
    return Status::Error(Status::Code::kIoError, "Cannot read folder " + Describe(folder, error));
  }
  const int fd = dirfd(dir);
  while (true) {
    errno = 0;
    const dirent* entry = readdir(dir);
    if (entry == nullptr) break;
    if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
    switch (KindOf(fd, *entry)) {
      case Kind::kFile:
        listing.files.emplace_back(entry->d_name);
        break;
      case Kind::kFolder:
        listing.folders.emplace_back(entry->d_name);
        break;
      case Kind::kOther:
        break;
    }
  }
  const int read_error = errno;
  closedir(dir);
  if (read_error != 0) {
    return Status::Error(Status::Code::kIoError,
                         "Cannot read folder " + Describe(folder, read_error));
  }
  // std::string compares as unsigned bytes: UTF-8 byte order is code point order.
  std::sort(listing.files.begin(), listing.files.end());
  std::sort(listing.folders.begin(), listing.folders.end());
  return Status::Ok();
}

bool FileSize(const std::string& path, int64_t& size) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return false;
  size = static_cast<int64_t>(info.st_size);
  return true;
}

}  // namespace quonder
