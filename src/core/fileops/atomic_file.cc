#include "core/fileops/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

namespace quonder {
namespace {

std::string Describe(const std::string& what, const std::string& path) {
  return what + " \"" + path + "\": " + std::strerror(errno);
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

}  // namespace

std::string FolderOf(const std::string& path) {
  auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string WriteTarget(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  char* resolved = ::realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return path;
  std::string target(resolved);
  std::free(resolved);
  return target;
}

Status WriteFileAtomically(const std::string& path, std::string_view bytes) {
  // A link stays a link (the rename would otherwise put a plain file in its place).
  const std::string target = WriteTarget(path);
  // Created with 0666 so that the umask applies to a new file as for any other program's file
  // (reading the umask to compute it would race with other threads).
  std::string temp;
  int fd = -1;
  for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
    static std::atomic<unsigned> counter{0};
    temp = FolderOf(target) + "/.quonder-" + std::to_string(::getpid()) + "-" +
           std::to_string(counter.fetch_add(1)) + ".tmp";
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) return Status::Error(Status::Code::kIoError, Describe("Cannot write", path));

  // A rewrite must not change who owns the file or who may read it. fchown fails for a user
  // rewriting someone else's file; the file then becomes theirs, which no rewrite can avoid.
  struct stat st;
  bool keep_mode = ::stat(target.c_str(), &st) == 0;
  if (keep_mode) {
    [[maybe_unused]] int owner_kept = ::fchown(fd, st.st_uid, st.st_gid);
  }
  bool ok = (!keep_mode || ::fchmod(fd, st.st_mode & 07777) == 0) && WriteAll(fd, bytes) &&
            ::fsync(fd) == 0;
  int saved = errno;
  ok = (::close(fd) == 0) && ok;
  if (ok && ::rename(temp.c_str(), target.c_str()) == 0) return Status::Ok();
  if (!ok) errno = saved;
  Status error = Status::Error(Status::Code::kIoError, Describe("Cannot write", path));
  ::unlink(temp.c_str());
  return error;
}

Status ReadWholeFile(const std::string& path, std::string& bytes) {
  bytes.clear();
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    auto code = errno == ENOENT ? Status::Code::kNotFound : Status::Code::kIoError;
    return Status::Error(code, Describe("Cannot read", path));
  }
  struct stat st;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) bytes.reserve(static_cast<size_t>(st.st_size));
  char buffer[1 << 16];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      Status error = Status::Error(Status::Code::kIoError, Describe("Cannot read", path));
      ::close(fd);
      return error;
    }
    bytes.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  return Status::Ok();
}

}  // namespace quonder
