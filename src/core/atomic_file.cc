#include "core/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace quonder {
namespace {

std::string Describe(const std::string& what, const std::string& path) {
  return what + " \"" + path + "\": " + std::strerror(errno);
}

std::string FolderOf(const std::string& path) {
  auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
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

Status WriteFileAtomically(const std::string& path, std::string_view bytes) {
  std::string temp = FolderOf(path) + "/.quonder-XXXXXX";
  int fd = ::mkstemp(temp.data());
  if (fd < 0) return Status::Error(Status::Code::kIoError, Describe("Cannot write", path));

  // A rewrite must not change who may read the file; a new file gets the usual 0666 & ~umask.
  struct stat st;
  mode_t mode;
  if (::stat(path.c_str(), &st) == 0) {
    mode = st.st_mode & 07777;
  } else {
    mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  bool ok = ::fchmod(fd, mode) == 0 && WriteAll(fd, bytes) && ::fsync(fd) == 0;
  int saved = errno;
  ok = (::close(fd) == 0) && ok;
  if (ok && ::rename(temp.c_str(), path.c_str()) == 0) return Status::Ok();
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
