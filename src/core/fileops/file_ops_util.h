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

// True when `path` is `folder` itself or lies below it, after links and "." / ".." are
// resolved (missing trailing parts are taken as written). `relative` (when not null) receives
// the part below `folder`, '/' separated, "." for the folder itself.
bool IsInsideFolder(const std::string& path, const std::string& folder,
                    std::string* relative = nullptr);

// True when the file exists and carries no write permission bit at all: the user marked it
// read-only, which is honoured even where the process could write it (root).
bool IsMarkedReadOnly(const std::string& path);

}  // namespace quonder
