// Writes that never leave a half-written file behind: the bytes go to a temporary file in the
// target's folder, are flushed, and then renamed over the target. Killing the program at any
// moment leaves either the old content or the new one.
#pragma once

#include <string>
#include <string_view>

#include "core/status.h"

namespace quonder {

// Replaces (or creates) `path` with `bytes`. An existing file keeps its permission bits; when
// `path` is a symbolic link, the link stays and the file it leads to is replaced.
// Fails with kIoError, naming the path, when the folder is missing or not writable; the
// target is then untouched and no temporary file is left.
Status WriteFileAtomically(const std::string& path, std::string_view bytes);

// The file that a rewrite of `path` replaces: the file a symbolic link leads to (through any
// chain of links), else `path` itself, also for a broken link.
std::string WriteTarget(const std::string& path);

// The folder part of `path`: "." for a bare name, "/" for a name in the root.
std::string FolderOf(const std::string& path);

// Reads a whole file into `bytes` (replacing its content). kNotFound or kIoError on failure.
Status ReadWholeFile(const std::string& path, std::string& bytes);

}  // namespace quonder
