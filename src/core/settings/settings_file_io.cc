#include "core/settings/settings_file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>

#include "core/fileops/atomic_file.h"
#include "core/fileops/file_common.h"
#include "core/fileops/file_ops_util.h"
#include "core/io_reasons.h"
#include "core/retrying_io.h"
#include "core/unique_fd.h"

namespace quonder {
namespace {

// "Cannot read" or "Cannot write", the path, and why.
Status IoError(const char* what, const std::string& path, const std::string& why) {
  return Status::Error(Status::Code::kIoError, std::string(what) + " \"" + path + "\": " + why);
}

Status SystemError(const char* what, const std::string& path) {
  return IoError(what, path, std::strerror(errno));
}

constexpr char kCannotRead[] = "Cannot read";
constexpr char kCannotWrite[] = "Cannot write";

// Whether the process may create a file in `folder`, with its effective rights (which a test
// thread may have narrowed).
bool FolderTakesNewFiles(const std::string& folder) {
  const char* name = folder.empty() ? "." : folder.c_str();  // a bare file name
  return ::faccessat(AT_FDCWD, name, W_OK | X_OK, AT_EACCESS) == 0;
}

// Rewrites the file in place: the same inode, its owner, mode, links and attributes kept.
Status WriteInPlace(const std::string& path, std::string_view bytes) {
  UniqueFd fd(::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (fd.get() < 0) return SystemError(kCannotWrite, path);
  struct stat st;
  if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
    return IoError(kCannotWrite, path, kNotARegularFile);
  }
  // Freshly opened: the writes start at the file's first byte.
  if (!WriteAll(fd.get(), bytes)) return SystemError(kCannotWrite, path);
  if (::ftruncate(fd.get(), static_cast<off_t>(bytes.size())) != 0 || ::fsync(fd.get()) != 0 ||
      !fd.Close()) {
    return SystemError(kCannotWrite, path);
  }
  return Status::Ok();
}

}  // namespace

Status ReadSettingsFile(const std::string& path, std::string& bytes) {
  bytes.clear();
  // A look first, so that nothing but a plain file is ever opened (opening a device can do
  // things of its own).
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) {
      return Status::Error(Status::Code::kNotFound, "No file \"" + path + "\"");
    }
    return SystemError(kCannotRead, path);
  }
  if (!S_ISREG(st.st_mode)) return IoError(kCannotRead, path, kNotARegularFile);
  // Non-blocking: the path may have become a FIFO since the look.
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (fd.get() < 0) return SystemError(kCannotRead, path);
  if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
    return IoError(kCannotRead, path, kNotARegularFile);
  }
  const auto too_large = [&path] { return IoError(kCannotRead, path, "larger than 16 MB"); };
  if (static_cast<uint64_t>(st.st_size) > kMaxSettingsFileBytes) return too_large();
  bytes.reserve(static_cast<size_t>(st.st_size));
  if (!ReadToEnd(fd.get(), bytes, kMaxSettingsFileBytes)) {
    Status error = errno == EFBIG ? too_large() : SystemError(kCannotRead, path);
    bytes.clear();
    return error;
  }
  return Status::Ok();
}

std::string SettingsWriteTarget(const std::string& path) {
  std::string end = path;
  // As many links as the system follows; a longer chain fails at the write (ELOOP).
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st;
    if (::lstat(end.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return end;
    std::string leads_to(PATH_MAX, '\0');
    const ssize_t size = ::readlink(end.c_str(), leads_to.data(), leads_to.size());
    if (size <= 0 || static_cast<size_t>(size) >= leads_to.size()) return end;
    leads_to.resize(static_cast<size_t>(size));
    const std::string folder = GetParentFolderName(end);
    end = leads_to.front() == '/' || folder.empty() ? leads_to : BuildPath(folder, leads_to);
  }
  return path;
}

Status WriteSettingsFile(const std::string& given_path, std::string_view bytes) {
  const std::string path = SettingsWriteTarget(given_path);
  struct stat st;
  const bool exists = ::stat(path.c_str(), &st) == 0;
  if (exists && !S_ISREG(st.st_mode)) return IoError(kCannotWrite, path, kNotARegularFile);
  // A file the user may not write (someone else's, marked read-only, or on a read-only file
  // system: any refusal of the access check) is not replaced through the folder either.
  if (exists &&
      (IsMarkedReadOnly(path) || ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0)) {
    return IoError(kCannotWrite, path, "the file is read-only");
  }
  // In place also when the file has other names: a new file renamed over this one would leave
  // them with the old settings. A settings file is small enough to go out in one write.
  if (exists && (st.st_nlink > 1 || !FolderTakesNewFiles(GetParentFolderName(path)))) {
    return WriteInPlace(path, bytes);
  }
  return WriteFileAtomically(path, bytes);
}

}  // namespace quonder
