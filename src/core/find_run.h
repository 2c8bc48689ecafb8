// One find run over a folder: the walk, the file filters, reading each file in the run's charset,
// matching, and handing rows to the host. Headless: the window runs it on a worker thread, the
// CLI on its own thread, tests directly.
#pragma once

#include <cstdint>

#include "core/find_host.h"
#include "core/status.h"

namespace quonder {

struct FindRunOptions {
  int threads = 1;  // workers reading and matching files; rows still come in walk order
};

struct FindRunResult {
  int32_t file_counter = 0;   // files read ("File Counter")
  int64_t find_counter = 0;   // hits accepted (== rows handed to the host)
  int32_t found_files = 0;    // files with at least one accepted hit ("Found from N Files.")
  bool stopped = false;       // the host asked to stop
};

// Runs the whole walk. The source folder is the host's conditions' source_folder, expanded
// with ExpandEnvVariables at the start. Returns an error, after handing over the rows found
// until then, when the run cannot go on: the source folder is missing or unreadable (names the
// folder), the pattern is invalid (carries the engine's message), the charset is unknown (names
// it). A folder that cannot be listed, or a file that cannot be read, is skipped.
Status RunFind(FindHost& host, const FindRunOptions& options, FindRunResult& result);

}  // namespace quonder
