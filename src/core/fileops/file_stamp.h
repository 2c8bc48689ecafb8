// What a file was when it was read, so that a rewrite can tell, right before its rename, that
// nobody changed the file in the meantime: which file it is (device and inode), its size, its
// modification and change times, and the bytes themselves.
#pragma once

#include <sys/stat.h>

#include <string>
#include <string_view>

#include "core/status.h"

namespace quonder {

struct FileStamp {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  nlink_t links = 0;  // hard links to the file
  struct timespec modified = {};
  struct timespec changed = {};  // status change: also moves on chmod, chown and xattr edits
};

// Every field the same: the same file, not changed as far as its metadata tells.
bool operator==(const FileStamp& a, const FileStamp& b);

// The stamp of what `st` describes (from stat or fstat).
FileStamp StampOf(const struct stat& st);

// Reads the regular file at `path` into `bytes` and stamps it, both from one open file, so
// that the stamp belongs to the bytes. kNotFound, or kIoError naming the path (also for
// something that is not a regular file: a FIFO is not waited on).
Status ReadStampedFile(const std::string& path, std::string& bytes, FileStamp& stamp);

// True when the file at `path` is still the one read: same stamp, and it holds exactly `bytes`
// (read again and compared, so that a change within the time stamps' resolution is seen too).
bool IsUnchanged(const std::string& path, const FileStamp& stamp, std::string_view bytes);

// True when `path` is a regular file that holds exactly `bytes`.
bool HoldsExactly(const std::string& path, std::string_view bytes);

}  // namespace quonder
