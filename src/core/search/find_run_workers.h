// The find run's pipeline over several workers (see find_run.h for what the host sees). The
// calling thread walks the tree, hands each file to the workers with the conditions the walk
// read for it, and hands the workers' rows, counters and problems to the host in walk order;
// the workers never call the host.
#pragma once

#include "core/search/find_host.h"
#include "core/search/find_run.h"
#include "core/search/folder_walk.h"
#include "core/status.h"

namespace quonder {

// Searches what `walk` yields with `workers` threads besides the calling one. REQUIRES:
// workers >= 1; the run's start checks were made. Returns only when every worker has been
// joined. kIoError when no worker thread could be started.
Status RunOnWorkers(FindHost& host, const FindRunOptions& options, int workers, FolderWalk& walk,
                    FindRunResult& result);

}  // namespace quonder
