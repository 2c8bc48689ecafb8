#include "core/fileops/file_common.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "core/fileops/atomic_file.h"
#include "core/fileops/file_ops_util.h"
#include "core/io_reasons.h"
#include "core/retrying_io.h"
#include "core/unique_fd.h"

namespace quonder {
namespace {

namespace fs = std::filesystem;

// The value of an environment variable; empty when unset. A name holding NUL cannot be set.
std::string GetEnv(const std::string& name) {
  if (name.find('\0') != std::string::npos) return "";
  const char* value = std::getenv(name.c_str());
  return value ? std::string(value) : std::string();
}

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
  std::string out;
  size_t done = 0;
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, done)) {
    out.append(text, done, at - done);
    out.append(to);
    done = at + from.size();
  }
  out.append(text, done, std::string::npos);
  text = std::move(out);
}

std::string StripTrailingSeparators(const std::string& path) {
  size_t end = path.size();
  while (end > 0 && path[end - 1] == '/') --end;
  return path.substr(0, end);
}

bool IsReadOnly(const fs::file_status& status) {
  return (status.permissions() & fs::perms::owner_write) == fs::perms::none;
}

// Lets the owner list and change a folder, so that a forced delete can empty it.
void MakeFolderWritable(const fs::path& folder, const fs::file_status& status) {
  constexpr fs::perms kNeeded = fs::perms::owner_all;
  if ((status.permissions() & kNeeded) != kNeeded) {
    std::error_code ec;
    fs::permissions(folder, kNeeded, fs::perm_options::add, ec);
  }
}

// The entries of `folder` (links not followed), listed whole before the caller changes the
// folder; false when it cannot be listed to its end.
bool ListFolder(const fs::path& folder, std::vector<fs::path>& entries) {
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    entries.push_back(it->path());
  }
  return !ec;
}

// Deletes `folder` and what is below it without following links. Stops at the first failure.
bool RemoveTree(const fs::path& folder, bool force) {
  std::error_code ec;
  if (force) MakeFolderWritable(folder, fs::symlink_status(folder, ec));
  std::vector<fs::path> entries;
  if (!ListFolder(folder, entries)) return false;
  for (const fs::path& entry : entries) {
    fs::file_status status = fs::symlink_status(entry, ec);
    if (ec) return false;
    if (fs::is_directory(status)) {
      if (!RemoveTree(entry, force)) return false;
      continue;
    }
    // A read-only file is kept unless the delete is forced.
    if (fs::is_regular_file(status) && IsReadOnly(status) && !force) return false;
    if (!fs::remove(entry, ec) || ec) return false;
  }
  return fs::remove(folder, ec) && !ec;
}

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

bool CopyTree(const fs::path& source, const fs::path& destination, bool overwrite) {
  std::error_code ec;
  if (!fs::is_directory(destination, ec) && !fs::create_directory(destination, ec)) return false;
  std::vector<fs::path> entries;
  if (!ListFolder(source, entries)) return false;
  bool all_copied = true;
  for (const fs::path& entry : entries) {
    const fs::path target = destination / entry.filename();
    fs::file_status link_status = fs::symlink_status(entry, ec);
    if (ec) {
      all_copied = false;
    } else if (fs::is_directory(link_status)) {
      all_copied = CopyTree(entry, target, overwrite) && all_copied;
    } else if (fs::is_symlink(link_status) && fs::is_directory(entry, ec)) {
      // A link to a folder is not followed: it could lead back into the tree.
      all_copied = false;
    } else {
      all_copied = CopyFile(entry.string(), target.string(), overwrite) && all_copied;
    }
  }
  return all_copied;
}

}  // namespace

std::string ExpandEnvVariables(std::string text) {
  size_t p = 0;
  while (p < text.size()) {
    if (text[p] != '%') {
      ++p;
      continue;
    }
    // A name has at least one character, so "%%" never opens a reference.
    const size_t q = text.find('%', p + 2);
    if (q == std::string::npos) break;
    const std::string name = text.substr(p + 1, q - p - 1);
    const std::string value = GetEnv(name);
    if (!value.empty()) ReplaceAll(text, "%" + name + "%", value);
    // Deliberately not corrected for the length change: this is where the scan has always
    // resumed, and stored paths and commands depend on it.
    p = q + 1;
  }
  return text;
}

std::string ExpandFolder(const std::string& value, bool literal) {
  return literal ? value : ExpandEnvVariables(value);
}

bool CreateFolderPath(const std::string& path) {
  if (FolderExists(path)) return true;
  const std::string parent = GetParentFolderName(path);
  if (parent.empty()) return false;
  if (!FolderExists(parent) && !CreateFolderPath(parent)) return false;
  std::error_code ec;
  fs::create_directory(path, ec);
  return !ec && FolderExists(path);
}

bool DeleteFolderTree(const std::string& path, bool force) {
  std::string folder = path;
  if (!folder.empty() && folder.back() == '/') folder.pop_back();
  if (!FolderExists(folder)) return false;
  if (StripTrailingSeparators(folder).empty()) return false;  // never the root
  std::error_code ec;
  // A link to a folder goes, not what it points to.
  if (fs::is_symlink(fs::symlink_status(folder, ec))) return fs::remove(folder, ec) && !ec;
  return RemoveTree(folder, force);
}

bool FolderExists(const std::string& path) {
  if (path.empty()) return false;
  std::error_code ec;
  return fs::is_directory(path, ec);
}

bool FileExists(const std::string& path) {
  if (path.empty()) return false;
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

std::string BuildPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (folder.back() == '/') {
    return folder + (!name.empty() && name.front() == '/' ? name.substr(1) : name);
  }
  if (!name.empty() && name.front() == '/') return folder + name;
  return folder + "/" + name;
}

std::string GetParentFolderName(const std::string& path) {
  const std::string trimmed = StripTrailingSeparators(path);
  const size_t slash = trimmed.rfind('/');
  if (slash == std::string::npos) return "";  // a bare name, the root itself, or ""
  size_t end = slash;
  while (end > 0 && trimmed[end - 1] == '/') --end;
  if (end == 0) return "/";  // a component right below the root
  return trimmed.substr(0, end);
}

std::string GetFileName(const std::string& path) {
  const std::string trimmed = StripTrailingSeparators(path);
  const size_t slash = trimmed.rfind('/');
  return slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
}

std::string GetExtensionName(const std::string& path) {
  const std::string name = GetFileName(path);
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? "" : name.substr(dot + 1);
}

bool CopyFile(const std::string& source, const std::string& destination, bool overwrite,
              std::string* why) {
  const auto refuse = [why](std::string reason) {
    if (why != nullptr) *why = std::move(reason);
    return false;
  };
  std::error_code ec;
  const fs::file_status source_status = fs::status(source, ec);
  if (!fs::exists(source_status)) return refuse("it does not exist");
  if (!fs::is_regular_file(source_status)) return refuse(std::string("it is ") + kNotARegularFile);
  fs::file_status target_status = fs::status(destination, ec);
  if (fs::exists(target_status)) {
    if (!overwrite) return refuse("the target exists");
    if (!fs::is_regular_file(target_status)) {
      return refuse(std::string("the target is ") + kNotARegularFile);
    }
    // A read-only target stays, also for root, who may write any file. Whether the user may
    // write it is asked as Restore asks it; a read-only file system says so itself when the
    // copy is written.
    if (IsWriteProtected(destination)) return refuse("the target is read-only");
    if (fs::equivalent(source, destination, ec) || ec) return refuse("the target is the file");
  }
  // Non-blocking: a FIFO put in the source's place between the test and the open must not hang.
  UniqueFd in(::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  struct stat st;
  if (in.get() < 0 || ::fstat(in.get(), &st) != 0) return refuse(std::strerror(errno));
  if (!S_ISREG(st.st_mode)) return refuse(std::string("it is ") + kNotARegularFile);
  AtomicWriter writer;
  Status status = writer.Open(destination, {.mode = static_cast<int>(st.st_mode & 07777)});
  std::string buffer(1 << 20, '\0');
  while (status.ok()) {
    const ssize_t n = ReadSome(in.get(), buffer.data(), buffer.size());
    if (n == 0) break;
    if (n < 0) return refuse(std::strerror(errno));
    status = writer.Write(std::string_view(buffer.data(), static_cast<size_t>(n)));
  }
  if (status.ok()) status = writer.Commit();
  return status.ok() || refuse(status.message());
}

bool CopyFolder(const std::string& source, const std::string& destination, bool overwrite) {
  if (!FolderExists(source)) return false;
  // A destination inside the source would copy itself for ever.
  if (IsInsideFolder(destination, source)) return false;
  if (!CreateFolderPath(destination)) return false;
  return CopyTree(source, destination, overwrite);
}

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

std::string TempFolder() {
  for (const char* name : {"TEMP", "TMPDIR"}) {
    std::string value = GetEnv(name);
    if (!value.empty()) return value;
  }
  return "/tmp";
}

}  // namespace quonder
