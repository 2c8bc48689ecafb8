// Reads and writes on a file descriptor that go on after a signal interrupted them (EINTR),
// so that every caller has one policy for it.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quonder {

// One read of up to `size` bytes: the count read (0 at the end), or -1 with errno set.
ssize_t ReadSome(int fd, char* data, size_t size);

// Reads `size` bytes at `offset`, fewer only where the file ends: the count read, or -1 with
// errno set.
int64_t ReadFullyAt(int fd, char* data, size_t size, int64_t offset);

// Appends what `fd` reads from where it stands to its end to `bytes`; false with errno set when
// a read fails, and with errno EFBIG when `bytes` would grow past `limit` (the file may grow
// while it is read). `bytes` then holds what was read before.
bool ReadToEnd(int fd, std::string& bytes, size_t limit = SIZE_MAX);

// Writes all of `bytes`; false with errno set when a write fails.
bool WriteAll(int fd, std::string_view bytes);

}  // namespace quonder
