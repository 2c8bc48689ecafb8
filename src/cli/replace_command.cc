#include "cli/replace_command.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "cli/command_options.h"
#include "cli/find_options.h"
#include "cli/interruption.h"
#include "cli/row_printer.h"
#include "cli/standard_streams.h"
#include "core/fileops/replace_run.h"
#include "core/message_styles.h"
#include "core/search/find_run.h"
#include "core/search/find_run_summary.h"
#include "core/search/result_rows.h"
#include "core/search/row_text.h"
#include "core/text/utf_convert.h"

namespace quonder {
namespace {

constexpr char kUsage[] = "usage: quonder-cli replace [options] --replace TEXT FIND_TEXT FOLDER\n";

struct ReplaceOptionValues {
  std::optional<std::string> replace_text;   // --replace TEXT
  std::optional<std::string> backup_folder;  // --backup DIR
  bool dry_run = false;                      // --dry-run
};

// The find run's host: fixed conditions, a stop when interrupted, rows kept for the replace,
// each folder or file that could not be searched on standard error with its reason.
class CollectingHost : public FindHost {
 public:
  CollectingHost(std::shared_ptr<const FindConditions> conditions, ResultRows& rows)
      : conditions_(std::move(conditions)), rows_(rows) {}
  std::shared_ptr<const FindConditions> Conditions() override { return conditions_; }
  bool StopRequested() override { return InterruptionGuard::Interrupted(); }
  void AddResultRow(const ResultRow& row) override { rows_.Append(row); }
  void SetStatusText(StatusPanel, std::u16string) override {}
  bool ShowsStatus() override { return false; }
  void ReportProblem(RunProblem problem) override {
    std::fprintf(stderr, "quonder-cli replace: %s\n", ProblemText(problem).c_str());
  }

 private:
  std::shared_ptr<const FindConditions> conditions_;
  ResultRows& rows_;
};

// The replace run's host: fixed conditions, a stop when interrupted (which stays requested: it
// may have come during the find). A failed backup is never gone past: the question is
// answered Cancel, and the failure is reported.
class ReplaceHost : public FileOpsHost {
 public:
  explicit ReplaceHost(std::shared_ptr<const FileOpsConditions> conditions)
      : conditions_(std::move(conditions)) {}
  std::shared_ptr<const FileOpsConditions> Conditions() override { return conditions_; }
  bool StopRequested() override { return InterruptionGuard::Interrupted(); }
  void ClearStopRequest() override {}
  void SetStatusText(StatusPanel, std::u16string) override {}
  int ShowMessage(const std::u16string&, const std::u16string&, int style) override {
    return style == kStyleOkCancelWarning ? kAnswerCancel : kAnswerOk;
  }

 private:
  std::shared_ptr<const FileOpsConditions> conditions_;
};

int UsageError(const std::string& reason) {
  std::fprintf(stderr, "quonder-cli replace: %s\n%s", reason.c_str(), kUsage);
  return kExitError;
}

int ParseReplaceOption(const std::vector<std::string>& args, size_t i, std::string& error,
                       ReplaceOptionValues& values) {
  const std::string& arg = args[i];
  if (arg == "--dry-run") {
    values.dry_run = true;
    return 1;
  }
  if (arg != "--replace" && arg != "--backup") return 0;
  if (i + 1 >= args.size()) {
    error = "option " + arg + " needs a value";
    return -1;
  }
  (arg == "--replace" ? values.replace_text : values.backup_folder) = args[i + 1];
  return 2;
}

// A backup folder must not mix this run's copies with other files: missing or empty.
bool BackupFolderUsable(const std::string& folder, std::string& error) {
  std::error_code ec;
  if (!std::filesystem::exists(folder, ec)) return true;
  if (!std::filesystem::is_directory(folder, ec)) {
    error = "the backup folder \"" + folder + "\" is a file";
    return false;
  }
  if (!std::filesystem::is_empty(folder, ec) || ec) {
    error = "the backup folder \"" + folder + "\" is not empty";
    return false;
  }
  return true;
}

void PrintHelp() {
  std::printf(
      "%s\nFinds FIND_TEXT in every file of FOLDER and replaces every hit with TEXT, each\n"
      "file read once and written once, atomically, in its charset, keeping its byte-order\n"
      "mark, line ends, permissions and extended attributes. A file is left untouched, and\n"
      "named with the reason, when it changed since the find or while it was being replaced,\n"
      "holds bytes invalid in the charset, cannot take the new text in its charset, is\n"
      "read-only, cannot be read or written, has other hard links, lies outside FOLDER (a\n"
      "link leading out), or is a file already replaced by another path.\n"
      "In regular-expression mode TEXT may use $1..$9 and $$, and \\r \\n \\t \\v \\\\ stand\n"
      "for the characters. FIND_TEXT, FOLDER and DIR are taken literally (no %%NAME%%);\n"
      "FIND_TEXT and TEXT must be valid UTF-8.\n"
      "Exit status: 0 every hit found was replaced, 1 nothing was found, 2 an error: wrong\n"
      "usage, a run that could not start, a file left untouched, a file or folder the find\n"
      "could not read, or a failed backup (then nothing is changed).\n\nOptions:\n"
      "  --replace TEXT       the replacement (required; may be empty)\n"
      "  --backup DIR         copy the affected files into DIR first, keeping their layout\n"
      "                       below FOLDER; DIR must be missing or empty\n"
      "  --dry-run            report what would change and write nothing\n%s%s",
      kUsage, FindOptionsHelp(), CommandOptionsHelp(false).c_str());
}

// A message's text for a terminal: UTF-8, line breaks as LF.
std::string Text(const std::u16string& text) {
  std::string utf8 = ToUtf8(text);
  std::string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size(); ++i) {
    if (utf8[i] == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n') continue;
    out.push_back(utf8[i]);
  }
  return out;
}

// One line per affected file and the summary, written in one piece so that a failed write is
// noted with its reason.
void PrintReport(const ReplaceResult& result, bool dry_run) {
  std::string report;
  for (const ChangedFile& file : result.changed) {
    report += PathForLine(file.path) + ": " + std::to_string(file.hits) + " hit(s) " +
              (dry_run ? "would be replaced" : "replaced") + "\n";
  }
  for (const UntouchedFile& file : result.untouched) {
    report +=
        PathForLine(file.path) + ": left untouched: " + Text(UntouchedReasonText(file.reason));
    if (!file.detail.empty()) report += " (" + PathForLine(file.detail) + ")";
    report += "\n";
  }
  if (dry_run) report += "Dry run: no file was written.\n";
  report += Text(ReplaceSummaryText(result)) + "\n";
  if (std::fwrite(report.data(), 1, report.size(), stdout) != report.size()) {
    NoteStandardOutputError(errno);
  }
}

}  // namespace

int RunReplaceCommand(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  FindOptionValues values;
  ReplaceOptionValues replace_values;
  CommandOptions command_options;
  std::string error;
  auto extra = [&](const std::vector<std::string>& list, size_t index, std::string& message) {
    if (int taken = ParseCommandOption(list, index, false, command_options)) return taken;
    return ParseReplaceOption(list, index, message, replace_values);
  };
  switch (ParseFindOptions(args, values, error, extra)) {
    case ParseOutcome::kHelp:
      PrintHelp();
      return kExitFound;
    case ParseOutcome::kUsageError:
      return UsageError(error);
    case ParseOutcome::kOk:
      break;
  }
  if (command_options.version) {
    PrintVersion();
    return kExitFound;
  }
  if (!replace_values.replace_text) return UsageError("--replace TEXT is needed");
  // Else its bytes would reach the files as U+FFFD.
  if (!IsValidUtf8(*replace_values.replace_text)) {
    return UsageError("--replace TEXT is not valid UTF-8");
  }
  if (replace_values.backup_folder) {
    // Absolute, so that its parents can be created as needed.
    std::error_code ec;
    std::filesystem::path absolute = std::filesystem::absolute(*replace_values.backup_folder, ec);
    if (!ec) replace_values.backup_folder = absolute.lexically_normal().string();
    if (!BackupFolderUsable(*replace_values.backup_folder, error)) return UsageError(error);
  }
  auto find_conditions = std::make_shared<FindConditions>();
  Status status = ConditionsFromCommandLine(values, *find_conditions);
  if (status.code() == Status::Code::kInvalidArgument) return UsageError(status.message());
  if (!status.ok()) {
    std::fprintf(stderr, "quonder-cli replace: %s\n", status.message().c_str());
    return kExitError;
  }

  // From here on an interruption waits for the file in hand to be written whole (or not at all).
  InterruptionGuard interruption;
  ResultRows rows;
  CollectingHost find_host(find_conditions, rows);
  FindRunResult find_result;
  FindRunOptions find_options;
  find_options.threads = 0;  // one worker per core: the rows are the same as on one
  status = RunFind(find_host, find_options, find_result);
  if (InterruptionGuard::Interrupted()) {
    std::fputs("quonder-cli replace: interrupted during the find; no file was changed\n", stderr);
    InterruptionGuard::EndByTheSignal();
  }
  if (!status.ok()) {
    std::fprintf(stderr, "quonder-cli replace: %s\n", status.message().c_str());
    return kExitError;
  }

  auto conditions = std::make_shared<FileOpsConditions>();
  conditions->source_folder = find_conditions->source_folder;
  conditions->literal_folders = find_conditions->literal_folders;
  conditions->coding = find_conditions->coding;
  conditions->reg_exp = find_conditions->reg_exp;
  conditions->ignore_case = find_conditions->ignore_case;
  conditions->find_text = find_conditions->find_text;
  conditions->replace_text = ToUtf16(*replace_values.replace_text);
  conditions->enable_restore = replace_values.backup_folder.has_value();
  conditions->backup_folder = replace_values.backup_folder.value_or("");
  ReplaceHost host(conditions);
  std::vector<size_t> every_row(rows.size());
  for (size_t i = 0; i < every_row.size(); ++i) every_row[i] = i;
  ReplaceOptions options;
  options.dry_run = replace_values.dry_run;
  options.backup.private_folder = false;  // the user's folder: never emptied
  ReplaceResult result = ReplaceSelectedRows(host, rows, every_row, options);

  if (result.cancelled) {
    std::fprintf(stderr, "Failed to backup %d file(s); no file was changed:\n",
                 result.backup.failed);
    for (size_t i = 0; i < result.backup.failed_paths.size(); ++i) {
      std::fprintf(stderr, "%s: not backed up: %s\n",
                   PathForLine(result.backup.failed_paths[i]).c_str(),
                   result.backup.failed_reasons[i].c_str());
    }
    return kExitError;
  }
  if (!command_options.quiet) PrintReport(result, replace_values.dry_run);
  if (std::fflush(stdout) != 0) NoteStandardOutputError(errno);
  for (const std::string& note : RunEndNotes(find_result, find_conditions->ext_behavior)) {
    std::fprintf(stderr, "quonder-cli replace: %s\n", note.c_str());
  }
  // The report above says what was replaced before the interruption.
  if (InterruptionGuard::Interrupted()) InterruptionGuard::EndByTheSignal();
  // A folder or file the find could not search may hold hits that were not replaced.
  if (!result.all_done() || HadProblems(find_result)) return kExitError;
  return rows.size() > 0 ? kExitFound : kExitNothing;
}

}  // namespace quonder
