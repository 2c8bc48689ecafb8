#include "core/search/file_buffer.h"

#include <fcntl.h>
#include <sanitizer/asan_interface.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "core/io_reasons.h"
#include "core/retrying_io.h"
#include "core/unique_fd.h"

namespace quonder {
namespace {

Status IoError(const std::string& path, int error, std::string& reason) {
  Status::Code code = error == ENOENT ? Status::Code::kNotFound : Status::Code::kIoError;
  reason = std::strerror(error);
  return Status::Error(code, "Cannot read \"" + path + "\": " + reason);
}

// A failure that trying again cannot mend.
Status Refused(const std::string& what, const std::string& path, std::string& reason) {
  reason = what;
  return Status::Error(Status::Code::kIoError, "Cannot read \"" + path + "\": " + what);
}

// A file the kernel gives no size for (special files of /proc and /sys) is read up to this
// much: some of them read on for hundreds of gigabytes (/proc/self/pagemap).
constexpr size_t kUnsizedLimit = size_t{64} << 20;

}  // namespace

bool FileBuffer::Reserve(size_t capacity) {
  if (capacity <= memory_.size()) return true;
  AnonymousMemory bigger = AnonymousMemory::Allocate(std::max(capacity, 2 * memory_.size()));
  if (bigger.size() < capacity) return false;
  if (size_ > 0) std::memcpy(bigger.data(), memory_.data(), size_);
  memory_ = std::move(bigger);
  return true;
}

void FileBuffer::Close() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
}

Status FileBuffer::Load(const std::string& path, bool& permanent, int64_t whole_limit) {
  Close();
  // The memory is larger than the file: under AddressSanitizer what lies past the file's bytes
  // is marked unreadable, so a read past the end of the text is caught as with an exact
  // allocation.
  ASAN_UNPOISON_MEMORY_REGION(memory_.data(), memory_.size());
  Status status = Read(path, permanent, whole_limit);
  ASAN_POISON_MEMORY_REGION(memory_.data() + size_, memory_.size() - size_);
  return status;
}

Status FileBuffer::ReadAt(int64_t offset, size_t length) {
  ASAN_UNPOISON_MEMORY_REGION(memory_.data(), memory_.size());
  Status status = ReadWindow(offset, length);
  ASAN_POISON_MEMORY_REGION(memory_.data() + size_, memory_.size() - size_);
  return status;
}

Status FileBuffer::ReadWindow(int64_t offset, size_t length) {
  size_ = 0;
  if (fd_ < 0) return Refused("Not open", path_, failure_reason_);
  if (!Reserve(length)) return Refused("Out of memory", path_, failure_reason_);
  // Fewer bytes than asked: the file has become shorter, and its end is there.
  const int64_t got = ReadFullyAt(fd_, memory_.data(), length, offset);
  if (got < 0) return IoError(path_, errno, failure_reason_);
  size_ = static_cast<size_t>(got);
  return Status::Ok();
}

Status FileBuffer::Read(const std::string& path, bool& permanent, int64_t whole_limit) {
  size_ = 0;
  permanent = false;
  // O_NONBLOCK: a pipe that appeared in place of a listed file must not block the run.
  UniqueFd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  if (fd.get() < 0) return IoError(path, errno, failure_reason_);
  struct stat info;
  if (fstat(fd.get(), &info) != 0) return IoError(path, errno, failure_reason_);
  if (!S_ISREG(info.st_mode)) {
    permanent = true;
    return Refused(kNotARegularFile, path, failure_reason_);
  }
  if (whole_limit > 0 && info.st_size > whole_limit) {
    fd_ = fd.release();
    path_ = path;
    file_size_ = static_cast<int64_t>(info.st_size);
    return Status::Ok();
  }
  // A file whose size is not known in advance (0 for some special files) is read in chunks,
  // up to kUnsizedLimit.
  size_t expected = static_cast<size_t>(info.st_size);
  if (!Reserve(expected == 0 ? 4096 : expected)) {
    permanent = true;
    return Refused("Out of memory", path, failure_reason_);
  }
  while (true) {
    if (expected == 0 && size_ > kUnsizedLimit) {
      permanent = true;
      size_ = 0;
      return Refused("No size given, and more than 64 MB to read", path, failure_reason_);
    }
    if (size_ == memory_.size()) {
      if (!Reserve(memory_.size() * 2)) {
        permanent = true;
        size_ = 0;
        return Refused("Out of memory", path, failure_reason_);
      }
    }
    const ssize_t got = ReadSome(fd.get(), memory_.data() + size_, memory_.size() - size_);
    if (got < 0) {
      int error = errno;
      size_ = 0;
      return IoError(path, error, failure_reason_);
    }
    if (got == 0) break;
    size_ += static_cast<size_t>(got);
    // The size fstat gave was reached: the file as it was when opened is read.
    if (expected != 0 && size_ >= expected) break;
  }
  return Status::Ok();
}

}  // namespace quonder
