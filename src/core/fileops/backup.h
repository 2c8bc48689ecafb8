// The backup that a replace run makes before it touches a file, and the Restore command that
// copies it back. The backup folder holds one generation: the files of the last replace run
// that made a backup, each at its path relative to the source folder.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/fileops/copy_files.h"
#include "core/fileops/file_ops_host.h"
#include "core/search/result_rows.h"
#include "core/status.h"

namespace quonder {

struct BackupOptions {
  // The backup folder is the window's own private folder (core/fileops/private_folder.h),
  // which holds one generation: it is used only while IsPrivateFolder says it still is one,
  // and emptied first (the folder itself stays). False (a folder the user named): it is made
  // when missing and its content is never deleted.
  bool private_folder = true;
};

// The backup step: panel 1 "Start Backup", then the backup folder (Conditions().backup_folder)
// is prepared as `options` say, and the files of the selected rows are copied into it keeping
// their relative paths (CopySelectedFiles with keep-structure on; panel 5 counts the rows).
// Returns the counters; `failed` is what the replace run asks about. `folder_used`, when given,
// receives the expanded backup folder once the copies went into it, and is left as it was when
// the folder could not be used.
// Refuses, counting every selected file as failed and deleting nothing, when the backup
// folder cannot be used (missing, or no longer private), or when the source folder lies inside
// the backup folder or the backup folder inside the source folder: emptying or filling it would
// then destroy or mix up the very files it is meant to keep.
CopyCounters RunBackupStep(FileOpsHost& host, const ResultRows& rows,
                           const std::vector<size_t>& selected, const BackupOptions& options,
                           std::string* folder_used = nullptr);

// Brings the backup copy of `relative` (a row's path) in `backup_folder`, the folder the
// backup step used, to exactly `bytes`: what the replace read from the file and is about to
// replace. A file that changed between its copy and that read would otherwise come back as it
// was before the change. Ok when there is no copy (its copy failed and the user went on), when
// the copy already holds `bytes`, or when it was rewritten.
Status RenewBackupCopy(const std::string& backup_folder, const std::string& relative,
                       std::string_view bytes);

struct RestoreResult {
  int32_t restored = 0;                   // files written back
  int32_t failed = 0;                     // files that could not be written back
  std::vector<std::string> failed_paths;  // their paths relative to the backup folder
};

// The Restore command: panel 1 "Start Undo", then every file below the backup folder is
// written back to the same relative path below the source folder (as entered, expanded now),
// creating missing folders, then panel 1 "Complete Undo". Each file is replaced atomically,
// so an interrupted restore leaves every file whole. Files that are not in the backup are not
// touched; the backup is kept, so a second Restore gives the same files.
// The backup folder must be private (IsPrivateFolder): only what it holds is copied back, and
// a symbolic link in it is never followed (it counts as failed). A file that holds its copy's
// bytes already needs no write and counts as restored. Any other file is not written back
// (and counts as failed) when it is read-only (no write bit), has other hard links, or its
// path leads out of the source folder (through a link).
// No question and no message when everything was restored; otherwise panel 1 reads
// "Failed Undo" and a warning (title "Find Text Alarm", style 48) names the count, or says that
// the backup folder cannot be used (missing, not private, unreadable, or holding the source
// folder).
RestoreResult Restore(FileOpsHost& host);

}  // namespace quonder
