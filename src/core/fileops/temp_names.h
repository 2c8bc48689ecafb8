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

// How long a temporary file whose process is gone stays untouched since it was last written.
// Its PID names a process of this machine only: on a shared folder, another machine (or another
// PID namespace) may be writing it right now, and a writer's file is written up to its rename.
inline constexpr int64_t kOrphanAgeSeconds = 60 * 60;

}  // namespace quonder
