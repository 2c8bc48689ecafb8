#include "core/settings/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

#include "core/fileops/file_common.h"
#include "core/settings/settings_file_io.h"

namespace quonder {
namespace {

std::mutex& InProcessEdits() {
  static std::mutex edits;
  return edits;
}

}  // namespace

FolderLock::FolderLock(const std::string& file, std::chrono::milliseconds timeout)
    : in_process_(InProcessEdits()) {
  const std::string parent = GetParentFolderName(SettingsWriteTarget(file));
  const char* folder = parent.empty() ? "." : parent.c_str();  // "" for a bare file name
  fd_ = ::open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd_ < 0) return;
  // flock has no timeout of its own; a blocking call could only be ended by a signal, which a
  // library must not take. Edits are rare and short, so asking again every few milliseconds
  // costs nothing.
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) return;
    if (errno != EWOULDBLOCK && errno != EINTR) break;
    if (std::chrono::steady_clock::now() >= deadline) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ::close(fd_);
  fd_ = -1;
}

FolderLock::~FolderLock() {
  if (fd_ >= 0) ::close(fd_);  // closing the last descriptor releases the lock
}

}  // namespace quonder
