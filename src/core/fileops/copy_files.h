// Copying the files behind the selected rows of the result list: "Copy Files" puts them all
// into the copy folder, "Copy Folders" keeps their folders below the source folder. The backup
// of a replace run uses the same copy (core/fileops/backup.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/fileops/file_ops_host.h"
#include "core/search/result_rows.h"

namespace quonder {

// What one copy did. The three counters are those of the summary.
struct CopyCounters {
  int32_t selected_rows = 0;  // selected rows reached, several rows of one file included
  int32_t overwritten = 0;    // copies whose destination file existed just before
  int32_t failed = 0;         // copies the file system refused
  std::vector<std::string> failed_paths;    // relative paths of the refused copies, in order
  std::vector<std::string> failed_reasons;  // why each of failed_paths was refused
  std::string missing_folder;  // the source or destination folder that did not exist, expanded
};

// Counts a refused copy of `path` and why.
void CountFailedCopy(CopyCounters& counters, const std::string& path, std::string reason);

// Counts the file of every selected row (as CopySelectedFiles reads `selected`) as refused for
// `reason`, once for a run of adjacent rows of one file, when nothing can be copied at all.
// Counts no row as reached.
void CountEverySelectedFileFailed(const ResultRows& rows, const std::vector<size_t>& selected,
                                  const std::string& reason, CopyCounters& counters);

// Copies the file of every selected row (0-based indexes into `rows`, any order; duplicates
// and indexes out of range are ignored) from `source_folder` to `destination_folder`, both
// as the file system sees them (expanded already: a folder is expanded once, where it is read). A
// file is copied once for a run of adjacent selected rows. With `keep_structure` the row's relative
// path is kept below the destination (missing folders are created), else the file goes directly
// into it, overwriting a namesake. When either folder is missing nothing is copied: every selected
// file counts as failed (no row as reached) and `missing_folder` names the folder. A refused copy
// counts as failed and the copy goes on; so does a copy whose destination would lie outside the
// destination folder (a link in it leading out). A destination that is the source file itself is
// counted as overwritten and left alone (a copy onto itself would empty it). Sets panel 5 per
// selected row; asks StopRequested() before each selected row. Counters are increased, not reset.
void CopySelectedFiles(FileOpsHost& host, const ResultRows& rows,
                       const std::vector<size_t>& selected, bool keep_structure,
                       const std::string& source_folder, const std::string& destination_folder,
                       CopyCounters& counters);

// The "Copy Files" (`keep_structure` false, `message_suffix` ".") and "Copy Folders" (true,
// " keeping their Directory structure.") commands: asks for confirmation, writes the copy
// folder setting, copies into the host's copy folder and shows the summary. Returns the
// counters (all 0 when the user cancelled).
CopyCounters CopyToCopyFolder(FileOpsHost& host, const ResultRows& rows,
                              const std::vector<size_t>& selected, bool keep_structure,
                              const std::u16string& message_suffix);

inline constexpr char16_t kCopyFilesSuffix[] = u".";
inline constexpr char16_t kCopyFoldersSuffix[] = u" keeping their Directory structure.";

// The summary text of a copy of `counters` over a list of `row_count` rows; a missing folder
// is named on a line of its own.
std::u16string CopySummaryText(const CopyCounters& counters, size_t row_count);

}  // namespace quonder
