// A reusable buffer that holds one whole file at a time, read with as few system calls as the
// file allows (one read for a file that does not change while it is read). The memory is kept
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
  // Reads the whole file at `path` (links followed). kNotFound or kIoError naming the path;
  // kIoError without retry sense (`permanent`) when the path names no regular file or the
  // memory for it cannot be had. On failure the previous content is gone.
  Status Load(const std::string& path, bool& permanent);

  std::string_view bytes() const { return std::string_view(memory_.data(), size_); }
  // After a failed Load: what failed, for the person, without the path ("Permission denied").
  const std::string& failure_reason() const { return failure_reason_; }

 private:
  Status Read(const std::string& path, bool& permanent);
  bool Reserve(size_t capacity);

  AnonymousMemory memory_;
  size_t size_ = 0;
  std::string failure_reason_;
};

}  // namespace quonder
