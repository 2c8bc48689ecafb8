// Two programs (or two threads) editing the same settings file at the same moment would each
// read it, change one line and write it back, and the later write would drop the earlier
// change. Every edit of a file therefore holds an advisory lock on the folder that holds it:
// on the folder and not on the file, because an atomic rewrite puts a new file in the old one's
// place, and a lock on the old one would then guard nothing.
//
// Anyone who can read the folder can hold its lock, another user included, so the lock is
// waited for only so long: after the timeout the edit goes ahead without it (the risk is the
// lost update above; waiting forever would hang the window). Edits of this process queue on a
// mutex first, which has no such risk (they all end soon), so that they never run into the
// timeout by crowding each other out.
#pragma once

#include <chrono>
#include <mutex>
#include <string>

namespace quonder {

inline constexpr std::chrono::milliseconds kFolderLockTimeout{1000};

class FolderLock {
 public:
  // Takes the lock of the folder holding `file` (the folder of the file a link leads to, when
  // `file` is one), waiting at most `timeout` for another process to let go. Where the folder
  // cannot be opened, its file system has no such locks, or the time runs out, nothing is
  // locked and the edit goes on.
  explicit FolderLock(const std::string& file,
                      std::chrono::milliseconds timeout = kFolderLockTimeout);
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  bool locked() const { return fd_ >= 0; }

 private:
  std::unique_lock<std::mutex> in_process_;
  int fd_ = -1;
};

}  // namespace quonder
