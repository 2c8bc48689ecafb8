#include "core/fileops/copy_files.h"

#include <string>
#include <utility>

#include "core/fileops/file_common.h"
#include "core/fileops/file_ops_util.h"
#include "core/message_styles.h"
#include "core/message_titles.h"
#include "core/text/decimal.h"
#include "core/text/utf_convert.h"

namespace quonder {

void CountFailedCopy(CopyCounters& counters, const std::string& path, std::string reason) {
  ++counters.failed;
  counters.failed_paths.push_back(path);
  counters.failed_reasons.push_back(std::move(reason));
}

void CountEverySelectedFileFailed(const ResultRows& rows, const std::vector<size_t>& selected,
                                  const std::string& reason, CopyCounters& counters) {
  const std::string* last_path = nullptr;
  for (size_t index : NormalizeSelection(selected, rows.size())) {
    const std::string& path = rows.Path(index);
    if (last_path != nullptr && *last_path == path) continue;
    last_path = &path;
    CountFailedCopy(counters, path, reason);
  }
}

void CopySelectedFiles(FileOpsHost& host, const ResultRows& rows,
                       const std::vector<size_t>& selected, bool keep_structure,
                       const std::string& source, const std::string& destination,
                       CopyCounters& counters) {
  if (!FolderExists(source) || !FolderExists(destination)) {
    counters.missing_folder = FolderExists(source) ? destination : source;
    CountEverySelectedFileFailed(
        rows, selected, "the folder " + counters.missing_folder + " does not exist", counters);
    return;
  }

  std::string last_source_path;
  for (size_t index : NormalizeSelection(selected, rows.size())) {
    if (host.StopRequested()) break;
    ++counters.selected_rows;
    host.SetStatusText(StatusPanel::kReplaceCounter, DecimalText(counters.selected_rows));

    const std::string& relative = rows.Path(index);
    std::string source_path = BuildPath(source, relative);
    if (source_path == last_source_path) continue;
    last_source_path = source_path;

    const std::string destination_path =
        BuildPath(destination, keep_structure ? relative : GetFileName(source_path));
    // Checked before a folder is made, and again before the copy: a link in the destination
    // (to a folder or to a file) must not carry the copy elsewhere.
    bool inside = IsInsideFolder(destination_path, destination);
    if (inside && keep_structure) {
      CreateFolderPath(GetParentFolderName(destination_path));
      inside = IsInsideFolder(destination_path, destination);
    }
    if (inside && FileExists(destination_path)) {
      ++counters.overwritten;
      if (SameFile(source_path, destination_path)) continue;
    }
    std::string why;
    if (!inside) why = "a link would carry it out of " + destination;
    if (!inside || !CopyFile(source_path, destination_path, /*overwrite=*/true, &why)) {
      CountFailedCopy(counters, relative, std::move(why));
    }
  }
}

std::u16string CopySummaryText(const CopyCounters& counters, size_t row_count) {
  std::u16string text = u"Copied " + DecimalText(counters.selected_rows) + u" / " +
                        DecimalText(static_cast<int64_t>(row_count)) + u"\r\n";
  if (counters.overwritten != 0) {
    text += DecimalText(counters.overwritten) + u" files are overwritten.";
  } else {
    text += u"No files are overwritten.";
  }
  if (counters.failed != 0) {
    text += u"\r\nFailed to copy " + DecimalText(counters.failed) + u" files.";
  }
  if (!counters.missing_folder.empty()) {
    text += u"\r\nThe folder " + ToUtf16(counters.missing_folder) + u" does not exist.";
  }
  return text;
}

CopyCounters CopyToCopyFolder(FileOpsHost& host, const ResultRows& rows,
                              const std::vector<size_t>& selected, bool keep_structure,
                              const std::u16string& message_suffix) {
  CopyCounters counters;
  host.FocusResultList();
  std::u16string prompt = u"Copying selected files to [Copy Folder]" + message_suffix +
                          u"\r\nIt will overwrite the files of same file name.";
  if (host.ShowMessage(prompt, ToUtf16(kTitleFindText), kStyleOkCancelQuestion) != kAnswerOk) {
    return counters;
  }

  host.SetBusy(true);
  host.SetStatusText(StatusPanel::kStatus, u"Start Copy");
  host.SetCommandEnabled(FileOpsCommand::kCopy, false);
  host.SetCommandEnabled(FileOpsCommand::kXcopy, false);
  host.ClearStopRequest();

  std::shared_ptr<const FileOpsConditions> conditions = host.Conditions();
  host.WriteSetting(kKeyCopyFolder, conditions->copy_folder);
  CopySelectedFiles(host, rows, selected, keep_structure,
                    ExpandFolder(conditions->source_folder, conditions->literal_folders),
                    ExpandFolder(conditions->copy_folder, conditions->literal_folders), counters);

  host.SetCommandEnabled(FileOpsCommand::kCopy, true);
  host.SetCommandEnabled(FileOpsCommand::kXcopy, true);
  host.SetStatusText(StatusPanel::kStatus, u"Complete Copy");
  host.SetBusy(false);
  host.ShowMessage(CopySummaryText(counters, rows.size()), ToUtf16(kTitleFindText),
                   kStyleInformation);
  return counters;
}

}  // namespace quonder
