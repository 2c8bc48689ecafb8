#include "core/fileops/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <string>
#include <utility>

#include "core/fileops/file_common.h"
#include "core/fileops/temp_names.h"
#include "core/io_reasons.h"
#include "core/retrying_io.h"
#include "core/unique_fd.h"

namespace quonder {
namespace {

std::mutex hook_mutex;
std::function<void(const std::string&)>* before_rename_hook = nullptr;  // guarded by hook_mutex

std::string Describe(const std::string& what, const std::string& path) {
  return what + " \"" + path + "\": " + std::strerror(errno);
}

// The names of the extended attributes of `path` as one buffer of NUL-ended names; false when
// they cannot be listed. A file system without them has none.
bool ListAttributes(const std::string& path, std::string& names) {
  for (;;) {
    ssize_t size = ::listxattr(path.c_str(), nullptr, 0);
    if (size < 0) {
      names.clear();
      return errno == ENOTSUP;
    }
    names.resize(static_cast<size_t>(size));
    if (size == 0) return true;
    size = ::listxattr(path.c_str(), names.data(), names.size());
    if (size >= 0) {
      names.resize(static_cast<size_t>(size));
      return true;
    }
    if (errno != ERANGE) return false;  // ERANGE: the list grew in between
  }
}

bool GetAttribute(const std::string& path, const char* name, std::string& value) {
  for (;;) {
    ssize_t size = ::getxattr(path.c_str(), name, nullptr, 0);
    if (size < 0) return false;
    value.resize(static_cast<size_t>(size));
    size = ::getxattr(path.c_str(), name, value.data(), value.size());
    if (size >= 0) {
      value.resize(static_cast<size_t>(size));
      return true;
    }
    if (errno != ERANGE) return false;
  }
}

constexpr char kAccessAcl[] = "system.posix_acl_access";

// Gives the temporary file `fd` every extended attribute of `source`, and takes away an access
// ACL that `source` lacks (the new file inherits one from its folder's default ACL, which would
// let users in whom the file kept out). An attribute the process may not set counts as kept
// when the new file already carries the same value (a security label the system gives every
// new file). False, with the name that could not be kept in `failed` and errno set, otherwise.
bool CopyAttributes(const std::string& source, int fd, std::string& failed) {
  std::string names;
  if (!ListAttributes(source, names)) {
    failed = "list";
    return false;
  }
  bool has_acl = false;
  std::string value, present;
  for (size_t at = 0; at < names.size();) {
    const char* name = names.c_str() + at;
    at += std::strlen(name) + 1;
    has_acl = has_acl || std::strcmp(name, kAccessAcl) == 0;
    if (!GetAttribute(source, name, value)) {
      if (errno == ENODATA) continue;  // removed in between
      failed = name;
      return false;
    }
    if (::fsetxattr(fd, name, value.data(), value.size(), 0) == 0) continue;
    const int saved = errno;
    present.resize(value.size() + 1);
    ssize_t size = ::fgetxattr(fd, name, present.data(), present.size());
    if (size >= 0 && std::string_view(present.data(), static_cast<size_t>(size)) == value) {
      continue;
    }
    errno = saved;
    failed = name;
    return false;
  }
  if (!has_acl && ::fremovexattr(fd, kAccessAcl) != 0 && errno != ENODATA && errno != ENOTSUP) {
    failed = kAccessAcl;
    return false;
  }
  return true;
}

}  // namespace

void SetBeforeRenameHookForTesting(std::function<void(const std::string& target)> hook) {
  std::lock_guard<std::mutex> lock(hook_mutex);
  delete before_rename_hook;
  before_rename_hook =
      hook ? new std::function<void(const std::string&)>(std::move(hook)) : nullptr;
}

std::string WriteTarget(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved != nullptr) {
      std::string target(resolved);
      std::free(resolved);
      return target;
    }
  }
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(path, error);
  return error ? path : absolute.string();
}

Status AtomicWriter::Fail(const std::string& what) {
  Status error = Status::Error(Status::Code::kIoError, Describe(what, path_));
  Abandon();
  return error;
}

Status AtomicWriter::Open(const std::string& path, const Options& options) {
  path_ = path;
  // A link stays a link (the rename would otherwise put a plain file in its place).
  target_ = WriteTarget(path);
  const std::string folder = GetParentFolderName(target_);
  struct stat st;
  const bool existing = ::stat(target_.c_str(), &st) == 0;
  // A new file is created with 0666 so that the umask applies to it as to any other program's
  // file (reading the umask to compute it would race with other threads). A file whose mode
  // is set below starts private: with the umask's mode another user could open it before the
  // mode is set, and read through that descriptor the text written next.
  const mode_t created_mode = existing || options.mode >= 0 ? 0600 : 0666;
  for (int attempt = 0; fd_ < 0 && attempt < 100; ++attempt) {
    static std::atomic<uint64_t> counter{0};
    temp_ = folder + "/" + TempFileName(::getpid(), counter.fetch_add(1));
    fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, created_mode);
    if (fd_ < 0 && errno != EEXIST) break;
  }
  if (fd_ < 0) {
    // The file itself may well be writable: say that the folder is what refused.
    const std::string why = std::strerror(errno);
    temp_.clear();
    return Status::Error(Status::Code::kIoError, "Cannot write \"" + path_ +
                                                     "\": no temporary file can be made in \"" +
                                                     folder + "\": " + why);
  }

  // A rewrite must not change who owns the file or who may read it. fchown fails for a user
  // rewriting someone else's file; the file then becomes theirs, which no rewrite can avoid,
  // but its group stays when the user belongs to it, so that the group keeps its access.
  // The mode goes before the attributes: setting it after an ACL would change the ACL's mask.
  if (existing && ::fchown(fd_, st.st_uid, st.st_gid) != 0) {
    [[maybe_unused]] int group_kept = ::fchown(fd_, static_cast<uid_t>(-1), st.st_gid);
  }
  const int mode = options.mode >= 0 ? options.mode : existing ? int(st.st_mode & 07777) : -1;
  if (mode >= 0 && ::fchmod(fd_, static_cast<mode_t>(mode)) != 0) return Fail("Cannot write");
  if (existing) {
    std::string name;
    if (!CopyAttributes(target_, fd_, name)) {
      return Fail("Cannot keep the extended attribute " + name + " of");
    }
  }
  return Status::Ok();
}

Status AtomicWriter::Write(std::string_view bytes) {
  if (fd_ < 0) return Status::Error(Status::Code::kIoError, "Cannot write \"" + path_ + "\"");
  if (!WriteAll(fd_, bytes)) return Fail("Cannot write");
  return Status::Ok();
}

Status AtomicWriter::Commit(const std::function<Status()>& check) {
  if (fd_ < 0) return Status::Error(Status::Code::kIoError, "Cannot write \"" + path_ + "\"");
  if (::fsync(fd_) != 0) return Fail("Cannot write");
  const int fd = std::exchange(fd_, -1);
  if (::close(fd) != 0) return Fail("Cannot write");
  {
    std::lock_guard<std::mutex> lock(hook_mutex);
    if (before_rename_hook != nullptr) (*before_rename_hook)(target_);
  }
  if (check) {
    Status status = check();
    if (!status.ok()) {
      Abandon();
      return status;
    }
  }
  if (::rename(temp_.c_str(), target_.c_str()) != 0) return Fail("Cannot write");
  temp_.clear();
  return Status::Ok();
}

void AtomicWriter::Abandon() {
  if (fd_ >= 0) ::close(std::exchange(fd_, -1));
  if (!temp_.empty()) ::unlink(temp_.c_str());
  temp_.clear();
}

Status WriteFileAtomically(const std::string& path, std::string_view bytes,
                           const AtomicWriter::Options& options) {
  AtomicWriter writer;
  Status status = writer.Open(path, options);
  if (status.ok()) status = writer.Write(bytes);
  if (status.ok()) status = writer.Commit();
  return status;
}

Status ReadWholeFile(const std::string& path, std::string& bytes) {
  bytes.clear();
  // Non-blocking: a FIFO put in the file's place must not hang the open.
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  if (fd.get() < 0) {
    auto code = errno == ENOENT ? Status::Code::kNotFound : Status::Code::kIoError;
    return Status::Error(code, Describe("Cannot read", path));
  }
  struct stat st;
  if (::fstat(fd.get(), &st) != 0) {
    return Status::Error(Status::Code::kIoError, Describe("Cannot read", path));
  }
  if (!S_ISREG(st.st_mode)) {
    return Status::Error(Status::Code::kIoError,
                         "Cannot read \"" + path + "\": " + kNotARegularFile);
  }
  bytes.reserve(static_cast<size_t>(st.st_size));
  if (!ReadToEnd(fd.get(), bytes)) {
    Status error = Status::Error(Status::Code::kIoError, Describe("Cannot read", path));
    bytes.clear();
    return error;
  }
  return Status::Ok();
}

}  // namespace quonder
