// A folder of this process's own below a folder that other users share (the window's backup
// folder below $TEMP, usually /tmp): made with a name no one else can foresee, closed to other
// users, never reached through a symbolic link, and deleted only while it is still the folder
// that was made. Another user can neither read the copies in it, nor swap them, nor make a
// backup write somewhere else.
#pragma once

#include <sys/types.h>

#include <string>

#include "core/status.h"

namespace quonder {

class PrivateFolder {
 public:
  PrivateFolder() = default;  // no folder; path() is empty
  PrivateFolder(PrivateFolder&& other) noexcept;
  PrivateFolder& operator=(PrivateFolder&& other) noexcept;
  PrivateFolder(const PrivateFolder&) = delete;
  PrivateFolder& operator=(const PrivateFolder&) = delete;
  ~PrivateFolder() = default;  // keeps the folder: deleting it is Remove()'s decision

  // Makes a new folder "<parent>/<prefix>XXXXXX" (six random characters, mkdtemp) with mode
  // 0700 and makes `folder` hold it. An existing name is never reused, whatever it is.
  // kIoError naming `parent` when no folder can be made there.
  static Status Make(const std::string& parent, const std::string& prefix, PrivateFolder& folder);

  const std::string& path() const { return path_; }

  // Deletes the folder with everything in it (links inside are removed, not followed) when
  // path() still names the folder that Make made: the same device and inode, not a link. False,
  // deleting nothing, otherwise. Afterwards path() is empty.
  bool Remove();

 private:
  std::string path_;
  dev_t device_ = 0;
  ino_t inode_ = 0;
};

// True when `path` itself (not a link to it) is a folder owned by this process's user and
// closed to everyone else (no permission bit for group or others).
bool IsPrivateFolder(const std::string& path);

// Deletes everything inside `path` (links removed, not followed) and keeps the folder itself.
// Refuses, deleting nothing, unless IsPrivateFolder(path). False when something could not go.
bool EmptyPrivateFolder(const std::string& path);

}  // namespace quonder
