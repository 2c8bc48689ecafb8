// Why a path is not read or written, in the words every reader and writer of the core uses, so
// that one condition reads the same wherever the user meets it.
#pragma once

namespace quonder {

// A folder, FIFO, device or socket stands where a file is to be read or written.
inline constexpr char kNotARegularFile[] = "not a regular file";

}  // namespace quonder
