// The Replace command: rewrites the files behind the selected rows of the result list, each
// selected hit replaced at its recorded position, without searching again.
//
// Losing nothing. Each affected file is read once, all its selected hits are spliced in, and it
// is written once, atomically (a temporary file renamed over it; owner, permissions and
// extended attributes kept), in the charset it was read in, with its byte-order mark. Every
// byte outside the hits is carried over. A file is left untouched, counted, and named with its
// reason (UntouchedReason), when any of its selected hits no longer fits the file as read now,
// when its bytes do not decode cleanly or would not be written back the same way, when the new
// text cannot be encoded, when it is marked read-only or its permissions keep this user from
// writing it (though its folder would let a rename replace it), cannot be read or written,
// changed while it was being replaced, has other hard links, lies outside the source folder (a
// link leading out), is the same file as one the run has already taken by another path, changed
// after its backup copy was made and that copy cannot be brought up to date, or when a stop
// comes before all its rows were passed. The run then goes on with the next file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/fileops/backup.h"
#include "core/fileops/copy_files.h"
#include "core/fileops/file_ops_host.h"
#include "core/search/result_rows.h"

namespace quonder {

enum class UntouchedReason {
  kStale,           // a hit's text is no longer at its position: the file changed since the find
  kRowsOutOfOrder,  // the file's rows overlap, go backwards, or are not together in the list
  kLossy,           // bytes invalid in the charset
  kNoRoundTrip,     // the charset would not write the file's own bytes back the same
  kUnencodable,     // the new text has characters the charset cannot write
  kReadOnly,        // no write permission bit, or none that lets this user write the file
  kUnreadable,
  kUnwritable,
  kUnknownCharset,
  kInvalidPattern,         // regular-expression mode: the find text is no valid expression
  kPatternTooComplex,      // the expression hit the engine's work limit on a hit's text
  kStopped,                // a stop came before all the file's rows were passed
  kChangedWhileReplacing,  // the file changed between its read and the rename of its new content
  kSameFile,               // the file (device and inode) was already taken by another path
  kOutsideFolder,          // its path leads (through a link) out of the source folder
  kHardLinks,              // other names would keep the old text after the rewrite
  kBackupNotRenewed,       // changed after its backup copy was made, and the copy could not follow
};

// The reason as the summary names it, e.g. "changed since the find".
std::u16string UntouchedReasonText(UntouchedReason reason);

struct UntouchedFile {
  std::string path;  // relative to the source folder, as the rows hold it
  UntouchedReason reason;
  std::string detail;  // the failing operation's message (path, charset, offset); may be empty
};

struct ChangedFile {
  std::string path;  // relative to the source folder
  int32_t hits = 0;  // selected hits replaced in it
};

struct ReplaceOptions {
  // Decide everything, write nothing: no backup, no file written, no setting, no history.
  bool dry_run = false;
  BackupOptions backup = {};
};

struct ReplaceResult {
  int32_t replaced = 0;    // selected rows whose hits were written (would be, in a dry run)
  int32_t passed = 0;      // selected rows the run went through (panel 5)
  size_t row_count = 0;    // rows in the list
  bool backed_up = false;  // the backup step ran
  CopyCounters backup;     // its counters
  bool cancelled = false;  // the user declined to go on after failed backup copies
  bool stopped = false;    // a stop request ended the run early
  std::vector<ChangedFile> changed;      // in row order
  std::vector<UntouchedFile> untouched;  // in row order

  bool all_done() const { return untouched.empty() && !cancelled && !stopped; }
};

// The whole command, as the window's Replace button runs it:
//  1. busy pointer, Replace disabled, stop request cleared; "EnableRestore" written; focus to
//     the list.
//  2. With enable_restore: the backup step (core/fileops/backup.h). Failed copies: panel 1 "Failed
//     Backup" and the question "Failed to backup N file(s).\r\nContinue Replace String?"
//     (title "Find Text", style 49); any answer but OK ends the run with no file changed.
//     Otherwise panel 1 "Complete Backup". A stop during the backup ends the run with no file
//     changed.
//  3. Panel 1 "Start Replace"; the replace history is updated; the replacement is taken (its
//     escape sequences turned into characters in regular-expression mode).
//  4. For each selected row in list order: panel 5 counts it; the file is loaded when the row
//     is its first selected one (panel 2 shows it); the hit is checked and spliced. In
//     regular-expression mode the row's replacement is the find text's expression applied
//     (global, $1..$9) to the unescaped Found text. A file is written when the run passes its
//     last row. Stop is checked after every row.
//  5. Restore is enabled exactly when enable_restore (not on an early end at step 2), panel 1
//     "Complete Replace", default pointer, and the summary (ReplaceSummaryText, title
//     "Find Text", style 64). Replace stays disabled.
// `selected` are 0-based indexes into `rows` (any order; duplicates and indexes out of range
// are ignored). The rows and the selection must not change while the run goes on.
ReplaceResult ReplaceSelectedRows(FileOpsHost& host, const ResultRows& rows,
                                  const std::vector<size_t>& selected,
                                  const ReplaceOptions& options = {});

// "Replaced N / M", then one line per reason for the files left untouched:
// "\r\n2 file(s) left untouched: changed since the find."
std::u16string ReplaceSummaryText(const ReplaceResult& result);

}  // namespace quonder
