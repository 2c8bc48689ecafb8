// One find run over a folder: the walk, the file filters, reading each file in the run's charset,
// matching, and handing rows to the host. Headless: the window runs it on a thread of its own,
// the CLI on its main thread, tests directly; either way it may search files on workers of
// its own (FindRunOptions::threads).
//
// The walk: depth first, a folder's files (in ascending order of name by code point) before its
// subfolders (same order), subfolders only while the conditions ask for them. See
// folder_walk.h for what is listed, file_filter.h for which files are read, and
// text_matching.h for the rows.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/search/find_host.h"
#include "core/status.h"

namespace quonder {

// More workers than this are not started, whatever is asked.
constexpr int kMaxFindWorkers = 64;

struct FindRunOptions {
  // Workers reading, decoding and matching files. 1 searches every file on the calling
  // thread; 0 or less takes as many as the machine has cores. The rows, their order and
  // numbers, and every status text are the same for any count (see RunFind).
  int threads = 1;
  // Off: every file is decoded and matched as text, without the raw-byte shortcuts. The rows
  // are the same either way; this exists to prove it.
  bool byte_shortcuts = true;
  // How far several workers may run ahead of the rows handed to the host: files handed out,
  // and bytes of rows that finished files hold while a file before them is still searched.
  // 0 takes the defaults; the rows are the same for any limits.
  size_t ahead_files = 0;
  size_t ahead_bytes = 0;
};

// The number of workers `options` asks for on this machine: from 1 to kMaxFindWorkers.
int WorkerCount(const FindRunOptions& options);

struct FindRunResult {
  int32_t file_counter = 0;      // files read ("File Counter")
  int64_t find_counter = 0;      // hits accepted (== rows handed to the host)
  int32_t found_files = 0;       // files with at least one accepted hit ("Found from N Files.")
  int32_t given_up_files = 0;    // files that could not be read, decoded or matched to their end
  int32_t unlisted_folders = 0;  // folders that could not be listed (their files are not searched)
  int32_t oversized_files = 0;   // files left out by the size limit
  int32_t filtered_files = 0;    // files left out by the extension list
  bool stopped = false;          // the host asked to stop
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
// is loaded; per accepted hit AddResultRow() then SetStatusText(kFindCounter). Every host call
// is made on the calling thread, whatever the worker count, and the files' calls come in walk
// order: the counters and rows the host sees are those of a run on one worker.
//
// On one worker the conditions are read at each point of use (see find_host.h). On several,
// the calling thread walks ahead of the workers and reads Conditions() once per listed file,
// in walk order, as it hands the file out (the extension filter is applied then), and once
// per folder after its files (whether to descend); a worker searches the whole file with that
// snapshot (size limit, charset, mode, find text, compare mode, word only, separators, line
// feed code, pattern). So a change applies to every file handed out after the host returned
// it. At most 2048 files per worker are handed out and not yet started, so a change reaches
// the files searched at most that many files later; behind a large file the others may finish
// up to 16384 files per worker ahead of the rows shown (FindRunOptions::ahead_*).
//
// Stop: on one worker StopRequested() ends the run at the points find_host.h names. On
// several, the calling thread asks it while it waits for results (every few milliseconds)
// and between handing out files; once it is true each worker ends its file at the same points
// (the rest of that file is not searched) and starts no other. The host is then handed the
// files finished by then, in walk order, up to the first one cut short (its rows found so
// far) or not started: always a prefix of the rows the whole run would have given, without
// gaps. Every worker is joined before RunFind returns.
Status RunFind(FindHost& host, const FindRunOptions& options, FindRunResult& result);

}  // namespace quonder
