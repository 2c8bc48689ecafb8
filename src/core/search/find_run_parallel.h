// The find run over several workers (see find_run.h for what the host sees). The calling
// thread walks the tree, hands each file to a worker with the conditions it read for that
// file, and passes the workers' results to the host in walk order; the workers never call the
// host.
#pragma once

#include <string>

#include "core/search/find_host.h"
#include "core/search/find_run.h"
#include "core/search/folder_walk.h"
#include "core/status.h"

namespace quonder {

// Searches the tree below `root` (already listed into `listing`) with `workers` threads
// besides the calling one. REQUIRES: workers >= 1; the run's start checks were made. Returns
// only when every worker has been joined. kIoError when no worker thread could be started.
Status RunFindOnWorkers(FindHost& host, const FindRunOptions& options, int workers,
                        const std::string& root, FolderListing listing, FindRunResult& result);

}  // namespace quonder
