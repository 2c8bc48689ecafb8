// Two programs (or two threads) editing the same settings file at the same moment would each
// read it, change one line and write it back, and the later write would drop the earlier
// change. Every edit of a file therefore holds an advisory lock on the folder that holds it:
// on the folder and not on the file, because an atomic rewrite puts a new file in the old one's
// place, and a lock on the old one would then guard nothing.
#pragma once

#include <string>

namespace quonder {

class FolderLock {
 public:
  // Waits for and takes the lock of the folder holding `file` (the folder of the file a link
  // leads to, when `file` is one). Where the folder cannot be opened or its file system has no
  // such locks, nothing is locked and the edit goes on as before.
  explicit FolderLock(const std::string& file);
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  bool locked() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

}  // namespace quonder
