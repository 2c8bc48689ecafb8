// How INI files (the settings file, the code set table) meet the disk. The path is the user's
// to choose, so it may name anything: a FIFO, a device, a huge file, someone else's file, a
// file in a folder the user may not write. Reading never blocks and never takes more than a
// bounded amount of memory; writing never replaces what is not a plain file of the user's.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/status.h"

namespace quonder {

// Larger files are not read: no settings file comes near it, and reading one that does (a
// wrong path, a log) would make every start slow.
inline constexpr size_t kMaxSettingsFileBytes = size_t{16} << 20;

// Reads the whole file at `path` into `bytes` (replacing its content). The file is opened
// without blocking, and only a regular file (or a link to one) of at most
// kMaxSettingsFileBytes is read. kNotFound when nothing is there; kIoError naming the path and
// why otherwise ("is not a regular file", "is larger than 16 MB", the system's reason).
Status ReadSettingsFile(const std::string& path, std::string& bytes);

// Replaces the content of the file at `path` with `bytes`, creating it when missing. Refuses
// (kIoError, file untouched) a path that names something other than a regular file, and a
// file marked read-only (no write bit; honoured where the process could write it anyway, as
// root). The new content goes to a temporary file renamed over the old one; when the folder
// cannot take the temporary file but the file itself is writable, the file is overwritten in
// place instead (a kill during that write can leave it partly written: the folder allows
// nothing safer).
// A symbolic link (or a chain of them) stays a link: the file it leads to is written, and made
// when it is not there yet; a link into a missing folder fails, naming where it leads.
Status WriteSettingsFile(const std::string& path, std::string_view bytes);

// The file that WriteSettingsFile(path) writes: the end of the chain of links from `path`, also
// when nothing is there (a link to a file not made yet, such as a dotfile kept elsewhere, is
// the user's choice of where the file goes); `path` when it is no link.
std::string SettingsWriteTarget(const std::string& path);

}  // namespace quonder
