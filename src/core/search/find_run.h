// One find run over a folder: the walk, the file filters, reading each file in the run's charset,
// matching, and handing rows to the host. Headless: the window runs it on a thread of its own,
// the CLI on its main thread, tests directly; either way it may search files on workers of
// its own (FindRunOptions::threads).
//
// One pipeline for any number of workers: the walk (folder_walk.h) yields the files in walk
// order with the conditions read for each; each file is searched into its rows (file_search.h,
// find_run_rows.h); the rows, counters and problems are handed to the host in walk order. On
// one worker the calling thread does each step in turn; on several, the workers search while
// the calling thread walks ahead and hands over (find_run_workers.h).
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
  // How far several workers may run ahead of the rows handed to the host: files handed out
  // (default 16384 per worker), and bytes of rows held for the host (default 16 MB). 0 takes
  // the default; the rows are the same for any limits.
  size_t ahead_files = 0;
  size_t ahead_bytes = 0;
  // Files larger than this are searched in windows of this size where their charset and the
  // mode allow it (0: the default, 8 MB), so that a file of any size takes little memory. The
  // rows are the same for any size; tests make it tiny.
  size_t window_bytes = 0;
};

// The number of workers `options` asks for on this machine: from 1 to kMaxFindWorkers.
int WorkerCount(const FindRunOptions& options);

struct FindRunResult {
  int32_t file_counter = 0;       // files read ("File Counter")
  int64_t find_counter = 0;       // hits accepted (== rows handed to the host)
  int32_t found_files = 0;        // files with at least one accepted hit ("Found from N Files.")
  int32_t given_up_files = 0;     // files that could not be read, decoded or matched to their end
  int32_t too_complex_files = 0;  // of those, files the regular expression was too complex for
  int32_t unlisted_folders = 0;   // folders that could not be listed (their files not searched)
  int32_t oversized_files = 0;    // files left out by the size limit
  int32_t filtered_files = 0;     // files left out by the extension list
  // Entries of the folders listed that are no file to search: links to folders (never
  // followed), devices, pipes, sockets, broken links.
  int32_t other_entries = 0;
  bool stopped = false;  // the host asked to stop
  // Several workers: the most bytes of rows held at once for the host (see ahead_bytes).
  size_t peak_held_bytes = 0;
};

// Runs the whole walk. The source folder is the host's conditions' source_folder, expanded
// with ExpandEnvVariables at the start. Before anything is read the run checks that it can
// start: a non-empty find text (kInvalidArgument), a source folder that can be listed
// (kNotFound or kIoError naming the folder), a charset the text stream accepts
// (kUnknownCharset naming it) and, in regular-expression mode, a valid pattern
// (kInvalidPattern with the engine's message). A charset or pattern that becomes unusable
// during the run ends it with that error, after the rows found until then. A folder that
// cannot be listed, and a file that cannot be read, decoded or matched to its end, is counted
// and reported to the host (ReportProblem), and the walk goes on.
//
// Host calls per file, in order: SetStatusText(kCurrentFile) and (kFileCounter) when the file
// is loaded; per accepted hit AddResultRow() then SetStatusText(kFindCounter); then
// ReportProblem() if it was given up. Every host call is made on the calling thread, whatever
// the worker count, and the files' calls come in walk order: the counters, rows and problems
// the host sees are those of a run on one worker.
//
// Reading the conditions. The walk reads Conditions() once per listed file, as it reaches it
// (the extension filter; that snapshot also decides the size limit), and once per folder after
// its files (whether to descend). How the search of a file reads them is the one difference
// between one worker and several:
//  - one worker reads them from the host at each point of use (find_host.h): a change applies
//    from the next search step or hit on;
//  - several search each file with the snapshot read as it was listed (charset, mode, find
//    text, case, word only, separators, line feed code, pattern): a change applies to the files
//    listed after it. The walk goes at most 2048 files per worker ahead of the files being
//    searched, and up to ahead_files ahead of the rows shown.
//
// Memory. On several workers, the rows that wait for the host (of files searched ahead of the
// one whose rows are being handed over) are held up to ahead_bytes; a worker that would hold
// more waits. The file whose rows come next streams them to the host as they are found, so
// neither the number of hits nor a single file's hits make the run's memory grow.
//
// Stop: on one worker StopRequested() ends the run at the points find_host.h names. On
// several, the calling thread asks it while it walks and while it waits for results (every few
// milliseconds); once it is true each worker ends its file at the same points (the rest of that
// file is not searched) and starts no other. The host is then handed the files finished by
// then, in walk order, up to the first one cut short (its rows found so far) or not started:
// always a prefix of the rows the whole run would have given, without gaps. Every worker is
// joined before RunFind returns.
Status RunFind(FindHost& host, const FindRunOptions& options, FindRunResult& result);

}  // namespace quonder
