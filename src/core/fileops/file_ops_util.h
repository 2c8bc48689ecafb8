// Small helpers shared by the replace, backup and copy commands: the selection walk and the
// file tests that keep a copy or a write from destroying its own source or a read-only file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quonder {

// `selected` sorted, without duplicates and without indexes >= `row_count`: the order in which
// every command walks the selected rows.
std::vector<size_t> NormalizeSelection(const std::vector<size_t>& selected, size_t row_count);

// True when both paths name the same existing file or folder (links followed).
bool SameFile(const std::string& a, const std::string& b);

// True when the file exists and carries no write permission bit at all: the user marked it
// read-only, which is honoured even where the process could write it (root).
bool IsMarkedReadOnly(const std::string& path);

// True when the file exists and its permissions keep this user (the effective IDs, and the
// capabilities in effect) from writing it: another user's file, say, in a folder the user may
// write, where a rename could still put new content in its place and make the file theirs.
bool IsBarredFromWriting(const std::string& path);

// IsMarkedReadOnly or IsBarredFromWriting: a file that Copy and Restore leave as it is, for
// either reason. (Replace, which tells the user which of the two it was, asks them apart.)
bool IsWriteProtected(const std::string& path);

}  // namespace quonder
