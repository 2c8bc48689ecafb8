// Small helpers shared by the replace, backup and copy commands: the selection walk, numbers in
// messages, and the file identity tests that keep a copy or a write from destroying its own
// source.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/text/decimal.h"

namespace quonder {

// `selected` sorted, without duplicates and without indexes >= `row_count`: the order in which
// every command walks the selected rows.
std::vector<size_t> NormalizeSelection(const std::vector<size_t>& selected, size_t row_count);

// True when both paths name the same existing file or folder (links followed).
bool SameFile(const std::string& a, const std::string& b);

// True when the file exists and carries no write permission bit at all: the user marked it
// read-only, which is honoured even where the process could write it (root).
bool IsMarkedReadOnly(const std::string& path);

}  // namespace quonder
