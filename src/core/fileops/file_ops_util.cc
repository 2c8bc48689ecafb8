#include "core/fileops/file_ops_util.h"

#include <sys/stat.h>

#include <algorithm>
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

namespace {

// The absolute, resolved form of `path` without a trailing separator; empty on failure.
fs::path Resolved(const std::string& path) {
  std::error_code error;
  fs::path absolute = fs::absolute(path, error);
  if (error) return {};
  fs::path resolved = fs::weakly_canonical(absolute, error);
  if (error) return {};
  while (!resolved.has_filename() && resolved.has_relative_path()) {
    resolved = resolved.parent_path();
  }
  return resolved;
}

}  // namespace

bool IsInsideFolder(const std::string& path, const std::string& folder, std::string* relative) {
  if (path.empty() || folder.empty()) return false;
  fs::path inner = Resolved(path);
  fs::path outer = Resolved(folder);
  if (inner.empty() || outer.empty()) return false;
  fs::path below = inner.lexically_relative(outer);
  if (below.empty() || *below.begin() == "..") return false;
  if (relative != nullptr) *relative = below.generic_string();
  return true;
}

bool IsMarkedReadOnly(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return false;
  return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

}  // namespace quonder
