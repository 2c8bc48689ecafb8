#include "core/fileops/backup.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include <filesystem>
#include <system_error>

#include "core/fileops/atomic_file.h"
#include "core/fileops/file_common.h"
#include "core/fileops/file_ops_util.h"
#include "core/fileops/file_stamp.h"
#include "core/fileops/private_folder.h"
#include "core/message_styles.h"
#include "core/message_titles.h"
#include "core/text/decimal.h"
#include "core/text/utf_convert.h"

namespace quonder {
namespace {

namespace fs = std::filesystem;

// True when emptying or filling the backup folder would delete or overwrite a file the backup
// is meant to keep: the source folder lies inside the backup folder, or one of the selected
// files does (the backup folder is a subfolder of the source folder and a find reached it).
bool BackupWouldTouchSources(const ResultRows& rows, const std::vector<size_t>& selected,
                             const std::string& source, const std::string& backup) {
  if (IsInsideFolder(source, backup)) return true;
  std::string below;
  if (!IsInsideFolder(backup, source, &below)) return false;
  const std::string prefix = below + "/";
  for (size_t index : NormalizeSelection(selected, rows.size())) {
    const std::string& path = rows.Path(index);
    if (path == below || path.starts_with(prefix)) return true;
  }
  return false;
}

// Writes one backed-up file back to `target` below `source`; false when it may not or cannot.
bool RestoreOneFile(const std::string& backup_file, const std::string& target,
                    const std::string& source) {
  std::string bytes;
  if (!ReadWholeFile(backup_file, bytes).ok()) return false;
  // A file the replace run did not change needs no write: its time stamp stays, and neither a
  // file the user has marked read-only nor one a link leads to outside the source (which the
  // run left alone) counts as failed.
  if (HoldsExactly(target, bytes)) return true;
  // Checked before anything is made: a folder on the way may be a link out of the source.
  if (!IsInsideFolder(target, source)) return false;
  if (!CreateFolderPath(GetParentFolderName(target))) return false;
  if (!IsInsideFolder(target, source)) return false;
  if (IsWriteProtected(target)) return false;
  struct stat st;
  const bool existing = ::stat(target.c_str(), &st) == 0;
  // A rename would leave the file's other names with the text it has now.
  if (existing && st.st_nlink > 1) return false;
  // A file that is gone comes back with its copy's permission bits (an executable bit
  // included), not with those a new file gets.
  AtomicWriter::Options options;
  struct stat copy;
  if (!existing && ::stat(backup_file.c_str(), &copy) == 0) options.mode = copy.st_mode & 0777;
  return WriteFileAtomically(target, bytes, options).ok();
}

// Writes every file below `backup` back below `source`, counting each in `result`. False when
// the backup folder could not be listed to its end.
bool RestoreEveryFile(const std::string& backup, const std::string& source, RestoreResult& result) {
  std::error_code error;
  // Links to folders are not entered; a link to a file is refused below.
  fs::recursive_directory_iterator it(backup, error), end;
  for (; !error && it != end; it.increment(error)) {
    std::error_code type_error;
    const fs::file_status status = it->symlink_status(type_error);
    if (!type_error && fs::is_directory(status)) continue;
    std::string relative = it->path().lexically_relative(backup).generic_string();
    if (!type_error && fs::is_regular_file(status) &&
        RestoreOneFile(it->path().string(), BuildPath(source, relative), source)) {
      ++result.restored;
    } else {
      ++result.failed;
      result.failed_paths.push_back(relative);
    }
  }
  return !error;
}

}  // namespace

CopyCounters RunBackupStep(FileOpsHost& host, const ResultRows& rows,
                           const std::vector<size_t>& selected, const BackupOptions& options,
                           std::string* folder_used) {
  CopyCounters counters;
  host.SetStatusText(StatusPanel::kStatus, u"Start Backup");

  std::shared_ptr<const FileOpsConditions> conditions = host.Conditions();
  const std::string source = ExpandFolder(conditions->source_folder, conditions->literal_folders);
  const std::string backup = ExpandFolder(conditions->backup_folder, conditions->literal_folders);
  // Without a usable backup folder nothing could be kept: every file counts as failed, so that
  // the replace run asks before it changes files that have no copy.
  std::string unusable;
  if (backup.empty()) {
    unusable = "no backup folder is set";
  } else if (BackupWouldTouchSources(rows, selected, source, backup)) {
    unusable = "the backup folder " + backup + " holds files the backup would keep";
  } else if (options.private_folder ? !EmptyPrivateFolder(backup) : !CreateFolderPath(backup)) {
    unusable =
        "the backup folder " + backup +
        (options.private_folder ? " is not private or cannot be emptied" : " cannot be made");
  }
  if (!unusable.empty()) {
    // The rows are reached; their files are what could not be kept.
    counters.selected_rows +=
        static_cast<int32_t>(NormalizeSelection(selected, rows.size()).size());
    CountEverySelectedFileFailed(rows, selected, unusable, counters);
    return counters;
  }
  CopySelectedFiles(host, rows, selected, /*keep_structure=*/true, source, backup, counters);
  if (folder_used != nullptr) *folder_used = backup;
  return counters;
}

Status RenewBackupCopy(const std::string& backup_folder, const std::string& relative,
                       std::string_view bytes) {
  const std::string copy = BuildPath(backup_folder, relative);
  struct stat st;
  if (::lstat(copy.c_str(), &st) != 0) {
    const int saved = errno;
    if (saved == ENOENT || saved == ENOTDIR) return Status::Ok();
    return Status::Error(
        Status::Code::kIoError,
        "the backup copy \"" + copy + "\" cannot be reached: " + std::strerror(saved));
  }
  if (!S_ISREG(st.st_mode) || !IsInsideFolder(copy, backup_folder)) {
    return Status::Error(Status::Code::kIoError,
                         "the backup copy \"" + copy + "\" is not a file of the backup folder");
  }
  if (HoldsExactly(copy, bytes)) return Status::Ok();
  return WriteFileAtomically(copy, bytes);
}

RestoreResult Restore(FileOpsHost& host) {
  RestoreResult result;
  host.SetStatusText(StatusPanel::kStatus, u"Start Undo");

  std::shared_ptr<const FileOpsConditions> conditions = host.Conditions();
  const std::string backup = ExpandFolder(conditions->backup_folder, conditions->literal_folders);
  const std::string source = ExpandFolder(conditions->source_folder, conditions->literal_folders);
  // A source folder inside the backup folder would be walked as part of the backup.
  const bool listed = IsPrivateFolder(backup) && !source.empty() &&
                      !IsInsideFolder(source, backup) && RestoreEveryFile(backup, source, result);

  if (listed && result.failed == 0) {
    host.SetStatusText(StatusPanel::kStatus, u"Complete Undo");
    return result;
  }
  host.SetStatusText(StatusPanel::kStatus, u"Failed Undo");
  std::u16string prompt;
  if (!listed) {
    prompt = u"Cannot restore from the backup folder " + ToUtf16(backup) + u".";
    if (result.restored + result.failed > 0) prompt += u"\r\n";
  }
  if (result.restored + result.failed > 0 || listed) {
    prompt += u"Restored " + DecimalText(result.restored) + u" / " +
              DecimalText(result.restored + result.failed) + u"\r\nFailed to restore " +
              DecimalText(result.failed) + u" file(s).";
  }
  host.ShowMessage(prompt, ToUtf16(kTitleFindTextAlarm), kStyleWarning);
  return result;
}

}  // namespace quonder
