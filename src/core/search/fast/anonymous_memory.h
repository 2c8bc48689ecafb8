// A block of memory mapped straight from the kernel, aligned to and asking for transparent
// huge pages. For buffers that are large and live long (a worker's file buffer): the first
// touch of each ordinary 4 KB page costs a page fault, which under some hypervisors costs as
// much as reading the page; a 2 MB page takes one fault for 512 of them.
#pragma once

#include <cstddef>

namespace quonder {

class AnonymousMemory {
 public:
  // Granularity of the sizes handed out.
  static constexpr size_t kHugePage = size_t{2} << 20;

  AnonymousMemory() = default;
  ~AnonymousMemory();
  AnonymousMemory(AnonymousMemory&& other) noexcept;
  AnonymousMemory& operator=(AnonymousMemory&& other) noexcept;
  AnonymousMemory(const AnonymousMemory&) = delete;
  AnonymousMemory& operator=(const AnonymousMemory&) = delete;

  // At least `bytes` (rounded up to kHugePage), zero-filled as the kernel hands it out; an
  // empty block when the memory cannot be had.
  static AnonymousMemory Allocate(size_t bytes);

  char* data() const { return data_; }
  size_t size() const { return size_; }

 private:
  AnonymousMemory(char* data, size_t size) : data_(data), size_(size) {}
  void Release();

  char* data_ = nullptr;
  size_t size_ = 0;
};

}  // namespace quonder
