#include "core/search/fast/anonymous_memory.h"

#include <sanitizer/asan_interface.h>
#include <sys/mman.h>

#include <cstdint>
#include <utility>

namespace quonder {

AnonymousMemory AnonymousMemory::Allocate(size_t bytes) {
  if (bytes == 0 || bytes > SIZE_MAX - 2 * kHugePage) return {};
  const size_t size = (bytes + kHugePage - 1) / kHugePage * kHugePage;
  // Map one huge page more than needed and give back what lies outside the aligned part:
  // only an aligned range can be backed by huge pages.
  const size_t mapped = size + kHugePage;
  void* raw = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) return {};
  const uintptr_t start = reinterpret_cast<uintptr_t>(raw);
  const uintptr_t aligned = (start + kHugePage - 1) & ~(uintptr_t{kHugePage} - 1);
  if (aligned > start) munmap(raw, aligned - start);
  const size_t tail = mapped - (aligned - start) - size;
  if (tail > 0) munmap(reinterpret_cast<void*>(aligned + size), tail);
  // Only advice: without transparent huge pages the memory works as well, with more faults.
  madvise(reinterpret_cast<void*>(aligned), size, MADV_HUGEPAGE);
  return AnonymousMemory(reinterpret_cast<char*>(aligned), size);
}

AnonymousMemory::~AnonymousMemory() { Release(); }

void AnonymousMemory::Release() {
  if (data_ == nullptr) return;
  // A user may have marked parts unreadable for AddressSanitizer; whoever maps these
  // addresses next must find them readable.
  ASAN_UNPOISON_MEMORY_REGION(data_, size_);
  munmap(data_, size_);
  data_ = nullptr;
  size_ = 0;
}

AnonymousMemory::AnonymousMemory(AnonymousMemory&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

AnonymousMemory& AnonymousMemory::operator=(AnonymousMemory&& other) noexcept {
  if (this != &other) {
    Release();
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

}  // namespace quonder
