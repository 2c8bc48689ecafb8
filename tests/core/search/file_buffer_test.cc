#include "core/search/file_buffer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>

#include "core/search/fast/anonymous_memory.h"
#include "core/search/find_test_support.h"

namespace quonder {
namespace {

using find_test::ScratchFolder;

std::string Pattern(size_t size, char seed) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(seed + i * 131 % 251);
  return bytes;
}

// One buffer for a run of files, as a worker has it: growing past its memory (and past a huge
// page), shrinking back, and files the kernel gives no size for.
TEST(FileBufferTest, EachFileReadsBackWholeWhateverCameBefore) {
  ScratchFolder folder;
  const size_t mb = size_t{1} << 20;
  const size_t sizes[] = {10, 0, 3 * mb + 7, 100, 2 * mb, 5 * mb + 1, 1, 4 * mb};
  FileBuffer buffer;
  char seed = 'a';
  for (size_t size : sizes) {
    const std::string bytes = Pattern(size, seed++);
    const std::string path = folder.Write("f" + std::to_string(size), bytes);
    bool permanent = true;
    ASSERT_TRUE(buffer.Load(path, permanent).ok()) << size;
    EXPECT_FALSE(permanent);
    EXPECT_TRUE(buffer.bytes() == bytes) << size;
  }
  // Size 0 in the file system, yet content: read in chunks to its end.
  bool permanent = true;
  ASSERT_TRUE(buffer.Load("/proc/self/status", permanent).ok());
  EXPECT_EQ(buffer.bytes().substr(0, 5), "Name:");
  EXPECT_EQ(buffer.bytes().back(), '\n');
  // Size 0, yet hundreds of gigabytes to read (one entry per page of the address space): given
  // up at a bound instead of taking the machine's memory, and the buffer still serves.
  ASSERT_FALSE(buffer.Load("/proc/self/pagemap", permanent).ok());
  EXPECT_TRUE(permanent);
  EXPECT_EQ(buffer.failure_reason(), "No size given, and more than 64 MB to read");
  ASSERT_TRUE(buffer.Load(folder.Path("f100"), permanent).ok());
  EXPECT_TRUE(buffer.bytes() == Pattern(100, 'd'));
}

TEST(AnonymousMemoryTest, HandsOutAlignedZeroedHugePageMultiples) {
  const size_t page = AnonymousMemory::kHugePage;
  for (size_t asked : {size_t{1}, page, page + 1}) {
    AnonymousMemory memory = AnonymousMemory::Allocate(asked);
    ASSERT_NE(memory.data(), nullptr) << asked;
    EXPECT_EQ(memory.size() % page, 0u);
    EXPECT_GE(memory.size(), asked);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(memory.data()) % page, 0u);
    EXPECT_EQ(memory.data()[0], 0);
    EXPECT_EQ(memory.data()[memory.size() - 1], 0);
    AnonymousMemory moved = std::move(memory);
    EXPECT_EQ(memory.data(), nullptr);
    moved.data()[moved.size() - 1] = 1;  // still mapped after the move
  }
  EXPECT_EQ(AnonymousMemory::Allocate(0).data(), nullptr);
  EXPECT_EQ(AnonymousMemory::Allocate(SIZE_MAX).data(), nullptr);
}

}  // namespace
}  // namespace quonder
