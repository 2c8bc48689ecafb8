// A reusable buffer that holds one whole file at a time, read with as few system calls as the
// file allows (one read for a file that does not change while it is read). The memory is kept
// from file to file and not zero-filled, so reading many files allocates only when a larger
// one comes. One per thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/status.h"

namespace quonder {

class FileBuffer {
 public:
  // Files of this many bytes or more are refused (kIoError): their positions would not fit
  // the 32-bit counts of a row.
  static constexpr int64_t kMaxFileSize = INT32_MAX;

  // Reads the whole file at `path` (links followed). kNotFound or kIoError naming the path;
  // kIoError without retry sense (`permanent`) when the path names no regular file or the file
  // is too large. On failure the previous content is gone.
  Status Load(const std::string& path, bool& permanent);

  std::string_view bytes() const { return std::string_view(data_.get(), size_); }

 private:
  bool Reserve(size_t capacity);

  std::unique_ptr<char[]> data_;
  size_t capacity_ = 0;
  size_t size_ = 0;
};

}  // namespace quonder
