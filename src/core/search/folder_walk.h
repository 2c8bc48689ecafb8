// Listing one folder for the find run: its files and its subfolders, each in ascending order
// of name by code point (byte order of the UTF-8 names), so every run over the same tree
// visits the same files in the same order. Hidden entries are listed. A symbolic link to a
// file is listed as a file (it is searched); a symbolic link to a folder is not listed (the
// walk never follows one, so it cannot loop). Entries that are neither regular files nor
// folders (devices, pipes, sockets, broken links) are not listed: reading a pipe could block.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/status.h"

namespace quonder {

struct FolderListing {
  std::vector<std::string> files;    // names, sorted
  std::vector<std::string> folders;  // names, sorted
};

// Lists `folder`. kNotFound or kIoError, naming the folder, when it cannot be opened or read.
Status ListFolder(const std::string& folder, FolderListing& listing);

// Size in bytes of the file at `path` (links followed); false when it cannot be measured.
bool FileSize(const std::string& path, int64_t& size);

}  // namespace quonder
