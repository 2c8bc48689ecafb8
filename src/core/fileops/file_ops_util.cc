#include "core/fileops/file_ops_util.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>

namespace quonder {

namespace fs = std::filesystem;

std::vector<size_t> NormalizeSelection(const std::vector<size_t>& selected, size_t row_count) {
  std::vector<size_t> rows;
  rows.reserve(selected.size());
  for (size_t index : selected) {
    if (index < row_count) rows.push_back(index);
  }
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  return rows;
}

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  return fs::equivalent(a, b, error) && !error;
}

bool IsMarkedReadOnly(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return false;
  return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

bool IsBarredFromWriting(const std::string& path) {
  return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0 && errno == EACCES;
}

bool IsWriteProtected(const std::string& path) {
  return IsMarkedReadOnly(path) || IsBarredFromWriting(path);
}

}  // namespace quonder
