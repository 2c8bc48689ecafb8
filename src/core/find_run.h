// One find run over a folder: the walk, the file filters, reading each file in the run's charset,
// matching, and handing rows to the host. Headless: the window runs it on a worker thread, the
// CLI on its own thread, tests directly.
//
// The walk: depth first, a folder's files (in ascending order of name by code point) before its
// subfolders (same order), subfolders only while the conditions ask for them. See
// folder_walk.h for what is listed, file_filter.h for which files are read, and
// text_matching.h for the rows.
#pragma once

#include <cstdint>

#include "core/find_host.h"
#include "core/status.h"

namespace quonder {

struct FindRunOptions {
  // Workers reading and matching files (rows still come in walk order). This build runs every
  // search on the calling thread, whatever the value.
  int threads = 1;
  // Off: every file is decoded and matched as text, without the raw-byte shortcuts. The rows
  // are the same either way; this exists to prove it.
  bool byte_shortcuts = true;
};

struct FindRunResult {
  int32_t file_counter = 0;   // files read ("File Counter")
  int64_t find_counter = 0;   // hits accepted (== rows handed to the host)
  int32_t found_files = 0;    // files with at least one accepted hit ("Found from N Files.")
  int32_t given_up_files = 0; // files that could not be read, decoded or matched to their end
  bool stopped = false;       // the host asked to stop
};

// Runs the whole walk. The source folder is the host's conditions' source_folder, expanded
// with ExpandEnvVariables at the start. Before anything is read the run checks that it can
// start: a non-empty find text (kInvalidArgument), a source folder that can be listed
// (kNotFound or kIoError naming the folder), a charset the text stream accepts
// (kUnknownCharset naming it) and, in regular-expression mode, a valid pattern
// (kInvalidPattern with the engine's message). A charset or pattern that becomes unusable
// during the run ends it with that error, after the rows found until then. A folder that
// cannot be listed, or a file that cannot be read, is skipped.
//
// Host calls per file, in order: SetStatusText(kCurrentFile) and (kFileCounter) when the file
// is loaded; per accepted hit AddResultRow() then SetStatusText(kFindCounter).
Status RunFind(FindHost& host, const FindRunOptions& options, FindRunResult& result);

}  // namespace quonder
