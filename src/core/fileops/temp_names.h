// Names of the temporary files that the atomic writer makes beside the file it rewrites:
// ".quonder-PID-N.tmp", PID the writing process and N its count of such files. One place makes
// them and one recognises them, so that a find run can skip such files and remove the ones left
// by a process that was killed before its rename.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quonder {

// The name (no folder) of temporary file number `serial` of process `pid`.
std::string TempFileName(int64_t pid, uint64_t serial);

// True when `name` (no folder) has exactly the form TempFileName makes, with a PID above 0;
// `pid` (when not null) receives it.
bool IsTempFileName(std::string_view name, int64_t* pid = nullptr);

// True when no process `pid` is running (on this machine's process namespace); false while it
// runs, for this process itself, and when that cannot be told.
bool TempOwnerGone(int64_t pid);

}  // namespace quonder
