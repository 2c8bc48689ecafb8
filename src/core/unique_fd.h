// An open file descriptor with one owner: closed when the owner ends, unless released. Moving
// hands the descriptor on (the moved-from one then holds none), so a function can return the
// descriptor it opened without a moment in which no one owns it.
#pragma once

#include <unistd.h>

#include <utility>

namespace quonder {

class UniqueFd {
 public:
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() {
    if (fd_ >= 0) ::close(fd_);
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
  // Closes the descriptor held before. A move to itself keeps it (release() has emptied this
  // one before the close is looked at).
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    const int fd = other.release();
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
    return *this;
  }

  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }
  // Closes now, reporting whether the last writes reached the file.
  bool Close() { return ::close(std::exchange(fd_, -1)) == 0; }

 private:
  int fd_;
};

}  // namespace quonder
