#include "core/fileops/replace_run.h"

#include <map>
#include <memory>
#include <optional>
#include <unordered_set>
#include <utility>

#include "core/fileops/file_common.h"
#include "core/fileops/file_ops_util.h"
#include "core/fileops/replace_file.h"
#include "core/message_styles.h"
#include "core/message_titles.h"
#include "core/search/reg_exp.h"
#include "core/text/decimal.h"
#include "core/text/string_common.h"
#include "core/text/text_stream.h"
#include "core/text/utf_convert.h"

namespace quonder {
namespace {

// The hit text and the replacement of one row. In regular-expression mode Found is shown
// escaped, and the replacement is the expression applied to the hit alone; the compiled
// expression is kept while the find text and the case flag stay the same.
class RowReplacer {
 public:
  // `replacement` is the replace text as step 3 took it (already unescaped in regex mode).
  explicit RowReplacer(std::u16string replacement) : replacement_(std::move(replacement)) {}

  Status For(const FileOpsConditions& conditions, std::u16string_view shown_found,
             std::u16string& found, std::u16string& replacement) {
    if (!conditions.reg_exp) {
      found.assign(shown_found);
      replacement = replacement_;
      return Status::Ok();
    }
    found = UnescapeControlChars(std::u16string(shown_found));
    if (!regex_status_.ok() || !regex_ || pattern_ != conditions.find_text ||
        ignore_case_ != conditions.ignore_case) {
      pattern_ = conditions.find_text;
      ignore_case_ = conditions.ignore_case;
      regex_.reset();
      // Multi-line off and a global replace: what RegExpReplace does, compiled once.
      regex_status_ =
          RegExp::Compile(pattern_, {.ignore_case = ignore_case_, .multiline = false}, regex_);
    }
    if (!regex_status_.ok()) return regex_status_;
    replacement = regex_->Replace(found, replacement_, /*global=*/true, /*one_hit=*/true);
    // The engine gave up on the hit: what it would become is unknown.
    return regex_->last_error();
  }

  // True when the last For had a compiled expression: a failure then came from matching.
  bool compiled() const { return regex_status_.ok(); }

 private:
  std::u16string replacement_;
  std::unique_ptr<RegExp> regex_;
  std::u16string pattern_;
  bool ignore_case_ = false;
  Status regex_status_;
};

// Which file a stamp belongs to, whatever path reached it.
std::pair<dev_t, ino_t> Identity(const FileStamp& stamp) { return {stamp.device, stamp.inode}; }

// Walks the selected rows: which file is in hand, when it is complete, and what became of it.
class ReplaceLoop {
 public:
  // `backup_folder`: where the backup step copied the files; empty when it did not run.
  ReplaceLoop(FileOpsHost& host, const ResultRows& rows, bool dry_run, std::string backup_folder,
              ReplaceResult& result)
      : host_(host),
        rows_(rows),
        dry_run_(dry_run),
        backup_folder_(std::move(backup_folder)),
        result_(result) {}

  void Run(const std::vector<size_t>& order) {
    std::unique_ptr<TextCodec> codec;
    Status codec_status = TextCodec::Open(host_.Conditions()->coding, codec);
    if (!dry_run_) host_.AddReplaceHistory();
    std::shared_ptr<const FileOpsConditions> conditions = host_.Conditions();
    RowReplacer replacer(conditions->reg_exp ? UnescapeControlChars(conditions->replace_text)
                                             : conditions->replace_text);
    std::u16string found, replacement;
    for (size_t index : order) {
      conditions = host_.Conditions();
      ++result_.passed;
      host_.SetStatusText(StatusPanel::kReplaceCounter, DecimalText(result_.passed));

      const std::string& source = SourceFolder(*conditions);
      const std::string& relative = rows_.Path(index);
      std::string path = BuildPath(source, relative);
      // The rows after the file's last selected one were not selected: it is complete.
      if (file_ && file_->full_path() != path) FinishFile();
      if (!file_) StartFile(path, relative, codec.get(), codec_status);
      if (!file_->untouched()) {
        Status status = replacer.For(*conditions, rows_.Found(index), found, replacement);
        if (!status.ok()) {
          file_->MarkUntouched(replacer.compiled() ? UntouchedReason::kPatternTooComplex
                                                   : UntouchedReason::kInvalidPattern,
                               status.message());
        }
      }
      file_->AddHit(rows_.Pointer(index), found, replacement);

      bool complete = index + 1 == rows_.size() || BuildPath(source, rows_.Path(index + 1)) != path;
      if (complete) FinishFile();
      if (host_.StopRequested()) {
        result_.stopped = true;
        break;
      }
    }
    if (!file_) return;
    if (result_.stopped) {
      file_->MarkUntouched(UntouchedReason::kStopped,
                           "stopped before all rows of \"" + file_->full_path() + "\" were passed");
    }
    FinishFile();
  }

 private:
  // The source folder as the file system sees it, expanded again only when the entered text
  // changed.
  const std::string& SourceFolder(const FileOpsConditions& conditions) {
    if (conditions.source_folder != source_entered_) {
      source_entered_ = conditions.source_folder;
      source_ = ExpandFolder(source_entered_, conditions.literal_folders);
    }
    return source_;
  }

  // Loads the file at `path` as the file in hand (its first selected row is reached). A file
  // that another path of this run has already taken is marked untouched at once.
  void StartFile(const std::string& path, const std::string& relative, TextCodec* codec,
                 const Status& codec_status) {
    host_.SetStatusText(StatusPanel::kCurrentFile, ToUtf16(relative));
    file_.emplace(path, relative, codec, codec_status, finished_.contains(path), source_);
    if (!backup_folder_.empty()) file_->KeepBackupInStep(backup_folder_);
    if (file_->untouched()) return;
    auto same = taken_.find(Identity(file_->stamp()));
    if (same != taken_.end()) {
      file_->MarkUntouched(UntouchedReason::kSameFile, "same file as " + same->second);
    }
  }

  void FinishFile() {
    file_->Finish(dry_run_);
    if (file_->untouched()) {
      result_.untouched.push_back(*file_->untouched());
    } else {
      result_.replaced += file_->rows();
      result_.changed.push_back({file_->relative_path(), file_->rows()});
      // Another path to this file (a link, a bind mount) finds it as it is now: as written, or
      // as read when it was not written. The inode it had before a write is free again and
      // may come back as any new file, so it names nothing.
      taken_.insert_or_assign(Identity(file_->written_stamp()), file_->relative_path());
    }
    finished_.insert(file_->full_path());
    file_.reset();
  }

  FileOpsHost& host_;
  const ResultRows& rows_;
  const bool dry_run_;
  const std::string backup_folder_;
  ReplaceResult& result_;
  std::optional<ReplaceFile> file_;
  std::unordered_set<std::string> finished_;              // files already complete in this run
  std::map<std::pair<dev_t, ino_t>, std::string> taken_;  // files replaced: by whose path
  std::string source_entered_ = std::string(1, '\0');     // never a folder as entered
  std::string source_;                                    // source_entered_ expanded
};

// The closing steps: default pointer and the summary; Replace stays disabled.
void Close(FileOpsHost& host, const ReplaceResult& result) {
  host.SetBusy(false);
  host.ShowMessage(ReplaceSummaryText(result), ToUtf16(kTitleFindText), kStyleInformation);
}

}  // namespace

std::u16string UntouchedReasonText(UntouchedReason reason) {
  switch (reason) {
    case UntouchedReason::kStale:
      return u"changed since the find";
    case UntouchedReason::kRowsOutOfOrder:
      return u"rows out of order in the list";
    case UntouchedReason::kLossy:
      return u"bytes invalid in the charset";
    case UntouchedReason::kNoRoundTrip:
      return u"bytes the charset would not write back the same";
    case UntouchedReason::kUnencodable:
      return u"new text not encodable in the charset";
    case UntouchedReason::kReadOnly:
      return u"read-only";
    case UntouchedReason::kUnreadable:
      return u"cannot be read";
    case UntouchedReason::kUnwritable:
      return u"cannot be written";
    case UntouchedReason::kUnknownCharset:
      return u"unknown charset";
    case UntouchedReason::kInvalidPattern:
      return u"invalid regular expression";
    case UntouchedReason::kPatternTooComplex:
      return u"regular expression too complex for a hit";
    case UntouchedReason::kStopped:
      return u"stopped before all its rows were passed";
    case UntouchedReason::kChangedWhileReplacing:
      return u"changed while it was being replaced";
    case UntouchedReason::kSameFile:
      return u"same file as another path in the list";
    case UntouchedReason::kOutsideFolder:
      return u"outside the source folder";
    case UntouchedReason::kHardLinks:
      return u"has other hard links";
    case UntouchedReason::kBackupNotRenewed:
      return u"changed since its backup, which could not be renewed";
  }
  return u"";
}

std::u16string ReplaceSummaryText(const ReplaceResult& result) {
  std::u16string text = u"Replaced " + DecimalText(result.replaced) + u" / " +
                        DecimalText(static_cast<int64_t>(result.row_count));
  std::map<UntouchedReason, int64_t> counts;  // in the order of the enumeration
  for (const UntouchedFile& file : result.untouched) ++counts[file.reason];
  for (const auto& [reason, count] : counts) {
    text += u"\r\n" + DecimalText(count) + u" file(s) left untouched: " +
            UntouchedReasonText(reason) + u".";
  }
  return text;
}

ReplaceResult ReplaceSelectedRows(FileOpsHost& host, const ResultRows& rows,
                                  const std::vector<size_t>& selected,
                                  const ReplaceOptions& options) {
  ReplaceResult result;
  result.row_count = rows.size();
  const bool dry_run = options.dry_run;

  host.SetBusy(true);
  host.SetCommandEnabled(FileOpsCommand::kReplace, false);
  host.ClearStopRequest();
  const bool enable_restore = host.Conditions()->enable_restore;
  if (!dry_run) host.WriteSetting(kKeyEnableRestore, enable_restore ? "1" : "0");
  host.FocusResultList();
  const std::vector<size_t> order = NormalizeSelection(selected, rows.size());

  std::string backup_folder;
  if (enable_restore && !dry_run) {
    result.backed_up = true;
    result.backup = RunBackupStep(host, rows, order, options.backup, &backup_folder);
    // Files without their backup copy are never changed: a stop here ends the run.
    if (host.StopRequested()) {
      result.stopped = true;
      Close(host, result);
      return result;
    }
    if (result.backup.failed != 0) {
      host.SetStatusText(StatusPanel::kStatus, u"Failed Backup");
      std::u16string prompt = u"Failed to backup " + DecimalText(result.backup.failed) +
                              u" file(s).\r\nContinue Replace String?";
      if (host.ShowMessage(prompt, ToUtf16(kTitleFindText), kStyleOkCancelWarning) != kAnswerOk) {
        result.cancelled = true;
        Close(host, result);
        return result;
      }
    } else {
      host.SetStatusText(StatusPanel::kStatus, u"Complete Backup");
    }
  }

  host.SetStatusText(StatusPanel::kStatus, u"Start Replace");
  ReplaceLoop(host, rows, dry_run, std::move(backup_folder), result).Run(order);

  if (!dry_run) host.SetCommandEnabled(FileOpsCommand::kRestore, enable_restore);
  host.SetStatusText(StatusPanel::kStatus, u"Complete Replace");
  Close(host, result);
  return result;
}

}  // namespace quonder
