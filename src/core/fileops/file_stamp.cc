#include "core/fileops/file_stamp.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "core/io_reasons.h"
#include "core/retrying_io.h"
#include "core/unique_fd.h"

namespace quonder {
namespace {

bool SameTime(const struct timespec& a, const struct timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// Opens `path` for reading without waiting on a FIFO, and stamps what was opened. Holds no
// descriptor, with `status` saying why, on failure.
UniqueFd OpenRegular(const std::string& path, FileStamp& stamp, Status& status) {
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  struct stat st;
  if (fd.get() >= 0 && ::fstat(fd.get(), &st) == 0 && S_ISREG(st.st_mode)) {
    stamp = StampOf(st);
    return fd;
  }
  const int saved = errno;
  if (fd.get() >= 0) {
    status =
        Status::Error(Status::Code::kIoError, "Cannot read \"" + path + "\": " + kNotARegularFile);
    return UniqueFd(-1);
  }
  status = Status::Error(saved == ENOENT ? Status::Code::kNotFound : Status::Code::kIoError,
                         "Cannot read \"" + path + "\": " + std::strerror(saved));
  return UniqueFd(-1);
}

// True when the open file `fd`, stamped `now`, reads as exactly `bytes`, compared a piece at a
// time so that a large file never needs a second copy in memory.
bool ReadsAsExactly(int fd, const FileStamp& now, std::string_view bytes) {
  bool same = static_cast<size_t>(now.size) == bytes.size();
  std::vector<char> buffer(same ? std::min<size_t>(bytes.size() + 1, 1 << 20) : 0);
  size_t done = 0;
  while (same) {
    ssize_t n = ReadSome(fd, buffer.data(), buffer.size());
    if (n <= 0) {
      same = n == 0 && done == bytes.size();
      break;
    }
    same = done + static_cast<size_t>(n) <= bytes.size() &&
           std::memcmp(buffer.data(), bytes.data() + done, static_cast<size_t>(n)) == 0;
    done += static_cast<size_t>(n);
  }
  return same;
}

}  // namespace

bool operator==(const FileStamp& a, const FileStamp& b) {
  return a.device == b.device && a.inode == b.inode && a.size == b.size && a.links == b.links &&
         SameTime(a.modified, b.modified) && SameTime(a.changed, b.changed);
}

FileStamp StampOf(const struct stat& st) {
  return FileStamp{st.st_dev, st.st_ino, st.st_size, st.st_nlink, st.st_mtim, st.st_ctim};
}

Status ReadStampedFile(const std::string& path, std::string& bytes, FileStamp& stamp) {
  bytes.clear();
  Status status;
  UniqueFd fd = OpenRegular(path, stamp, status);
  if (fd.get() < 0) return status;
  // Exactly the stamped size: a file that grows while it is read is caught by the recheck.
  bytes.resize(static_cast<size_t>(stamp.size));
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ReadSome(fd.get(), bytes.data() + done, bytes.size() - done);
    if (n <= 0) {
      bytes.clear();
      return Status::Error(Status::Code::kIoError,
                           "Cannot read \"" + path + "\": " +
                               (n == 0 ? std::string("it got shorter") : std::strerror(errno)));
    }
    done += static_cast<size_t>(n);
  }
  return Status::Ok();
}

bool IsUnchanged(const std::string& path, const FileStamp& stamp, std::string_view bytes) {
  FileStamp now;
  Status status;
  UniqueFd fd = OpenRegular(path, now, status);
  return fd.get() >= 0 && now == stamp && ReadsAsExactly(fd.get(), now, bytes);
}

bool HoldsExactly(const std::string& path, std::string_view bytes) {
  FileStamp now;
  Status status;
  UniqueFd fd = OpenRegular(path, now, status);
  return fd.get() >= 0 && ReadsAsExactly(fd.get(), now, bytes);
}

}  // namespace quonder
