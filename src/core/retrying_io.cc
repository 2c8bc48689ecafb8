#include "core/retrying_io.h"

#include <unistd.h>

#include <cerrno>

namespace quonder {

ssize_t ReadSome(int fd, char* data, size_t size) {
  while (true) {
    const ssize_t got = ::read(fd, data, size);
    if (got >= 0 || errno != EINTR) return got;
  }
}

int64_t ReadFullyAt(int fd, char* data, size_t size, int64_t offset) {
  size_t done = 0;
  while (done < size) {
    const ssize_t got = ::pread(fd, data + done, size - done, offset + static_cast<int64_t>(done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return -1;
    if (got == 0) break;
    done += static_cast<size_t>(got);
  }
  return static_cast<int64_t>(done);
}

bool ReadToEnd(int fd, std::string& bytes, size_t limit) {
  char buffer[1 << 16];
  while (true) {
    const ssize_t got = ReadSome(fd, buffer, sizeof buffer);
    if (got == 0) return true;
    if (got < 0) return false;
    if (bytes.size() > limit || static_cast<size_t>(got) > limit - bytes.size()) {
      errno = EFBIG;
      return false;
    }
    bytes.append(buffer, static_cast<size_t>(got));
  }
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) return false;
    bytes.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

}  // namespace quonder
