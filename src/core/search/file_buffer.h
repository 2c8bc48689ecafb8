// A reusable buffer that holds one whole file at a time, read with as few system calls as the
// file allows (one read for a file that does not change while it is read), or one window of a
// file too large to hold whole. The memory is kept
// from file to file, in huge pages where the system has them (see anonymous_memory.h), and
// grows at least twofold, so reading many files maps memory only a few times. One per thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/search/fast/anonymous_memory.h"
#include "core/status.h"

namespace quonder {

class FileBuffer {
 public:
  FileBuffer() = default;
  ~FileBuffer() { Close(); }
  FileBuffer(const FileBuffer&) = delete;
  FileBuffer& operator=(const FileBuffer&) = delete;

  // Reads the whole file at `path` (links followed). kNotFound or kIoError naming the path;
  // kIoError without retry sense (`permanent`) when the path names no regular file, the memory
  // for it cannot be had, or it has no size in the file system and reads on past 64 MB. On
  // failure the previous content is gone.
  // A file of more than `whole_limit` bytes (when not 0) is not read: it is left open for
  // ReadAt, bytes() is empty and windowed() true, until the next Load.
  Status Load(const std::string& path, bool& permanent, int64_t whole_limit = 0);

  bool windowed() const { return fd_ >= 0; }
  // The size of the file left open, as it was when it was opened.
  int64_t file_size() const { return file_size_; }
  // Reads up to `length` bytes at `offset` of the file left open (fewer at its end) into the
  // buffer, in place of what it held. kIoError naming the path (failure_reason() says why).
  Status ReadAt(int64_t offset, size_t length);

  std::string_view bytes() const { return std::string_view(memory_.data(), size_); }
  // After a failed Load or ReadAt: what failed, for the person, without the path ("Permission
  // denied").
  const std::string& failure_reason() const { return failure_reason_; }

 private:
  Status Read(const std::string& path, bool& permanent, int64_t whole_limit);
  Status ReadWindow(int64_t offset, size_t length);
  bool Reserve(size_t capacity);
  void Close();

  AnonymousMemory memory_;
  size_t size_ = 0;
  std::string failure_reason_;
  // The file left open for windows.
  int fd_ = -1;
  std::string path_;
  int64_t file_size_ = 0;
};

}  // namespace quonder
