#include "cli/find_command.h"

#include <cerrno>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/command_options.h"
#include "cli/find_options.h"
#include "cli/row_printer.h"
#include "cli/standard_streams.h"
#include "core/search/find_run.h"
#include "core/search/find_run_summary.h"

namespace quonder {
namespace {

constexpr char kUsage[] = "usage: quonder-cli find [options] FIND_TEXT FOLDER\n";
constexpr char kThreadsHelp[] =
    "      --threads N      search with N workers; the rows come in the same order for any\n"
    "                       N (default 0: as many as cores)\n";

// The command line's host: fixed conditions, rows (or their count per file) straight to the
// printer, each folder or file that could not be searched on standard error with its reason.
// Quiet, it prints no rows and stops the run at the first hit: the answer is known.
class CliHost : public FindHost {
 public:
  CliHost(std::shared_ptr<const FindConditions> conditions, RowPrinter& printer,
          const CommandOptions& options)
      : conditions_(std::move(conditions)), printer_(printer), options_(options) {}
  ~CliHost() override { FlushCount(); }

  std::shared_ptr<const FindConditions> Conditions() override { return conditions_; }
  // Rows that cannot be written end the run: nobody receives the rest.
  bool StopRequested() override { return (options_.quiet && hits_ > 0) || printer_.error() != 0; }
  void AddResultRow(const ResultRow& row) override {
    ++hits_;
    if (options_.quiet) return;
    if (!options_.count) {
      printer_.Print(row, conditions_->reg_exp);
      return;
    }
    // The rows of one file come together.
    if (file_hits_ > 0 && row.path != file_) FlushCount();
    if (file_hits_ == 0) file_ = row.path;
    ++file_hits_;
  }
  void SetStatusText(StatusPanel, std::u16string) override {}
  bool ShowsStatus() override { return false; }
  void ReportProblem(RunProblem problem) override {
    // Quiet, once a hit has given the answer, what the run meets after it does not matter.
    if (options_.quiet && hits_ > 0) return;
    std::fprintf(stderr, "quonder-cli find: %s\n", ProblemText(problem).c_str());
  }

  void FlushCount() {
    if (file_hits_ > 0) printer_.PrintCount(file_, file_hits_);
    file_hits_ = 0;
  }

 private:
  std::shared_ptr<const FindConditions> conditions_;
  RowPrinter& printer_;
  const CommandOptions& options_;
  int64_t hits_ = 0;
  std::string file_;  // the file being counted
  int64_t file_hits_ = 0;
};

int UsageError(const std::string& reason) {
  std::fprintf(stderr, "quonder-cli find: %s\n%s", reason.c_str(), kUsage);
  return kExitError;
}

}  // namespace

int RunFindCommand(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  FindOptionValues values;
  CommandOptions command_options;
  std::string error;
  FindRunOptions run_options;
  run_options.threads = 0;  // as many workers as cores
  auto extra_options = [&](const std::vector<std::string>& list, size_t index,
                           std::string& reason) {
    if (int taken = ParseCommandOption(list, index, true, command_options)) return taken;
    if (list[index] != "--threads") return 0;
    if (index + 1 >= list.size()) {
      reason = "option --threads needs a value";
      return -1;
    }
    const std::string& value = list[index + 1];
    int64_t count = 0;
    if (!ParseCount(value, kMaxFindWorkers, count)) {
      reason = "--threads takes a number of workers from 0 (as many as cores) to " +
               std::to_string(kMaxFindWorkers) + ", not \"" + value + "\"";
      return -1;
    }
    run_options.threads = static_cast<int>(count);
    return 2;
  };
  switch (ParseFindOptions(args, values, error, extra_options)) {
    case ParseOutcome::kHelp:
      std::printf(
          "%s\nFinds FIND_TEXT in every file of FOLDER and prints one line per hit:\n"
          "No., File Path, Line, Column, Found and Pointer, separated by tabs.\n"
          "Paths are relative to FOLDER; Line, Column and Pointer count from 1 in\n"
          "UTF-16 code units of the decoded text. \"Found from N Files.\" goes to\n"
          "standard error. FIND_TEXT and FOLDER are taken literally (no %%NAME%%);\n"
          "FIND_TEXT must be valid UTF-8.\n"
          "Exit status: 0 at least one hit, 1 no hit, 2 an error: wrong usage, a run that\n"
          "could not start, or a file or folder that could not be read (the rows found are\n"
          "still printed).\n\n"
          "Options:\n%s%s%s",
          kUsage, FindOptionsHelp(), kThreadsHelp, CommandOptionsHelp(true).c_str());
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
  auto conditions = std::make_shared<FindConditions>();
  Status status = ConditionsFromCommandLine(values, *conditions);
  if (status.code() == Status::Code::kInvalidArgument) return UsageError(status.message());
  if (!status.ok()) {
    std::fprintf(stderr, "quonder-cli find: %s\n", status.message().c_str());
    return kExitError;
  }

  RowPrinter printer(stdout, command_options.json);
  FindRunResult result;
  {
    CliHost host(conditions, printer, command_options);
    status = RunFind(host, run_options, result);
  }
  printer.Flush();
  if (printer.error() != 0) NoteStandardOutputError(printer.error());
  if (std::fflush(stdout) != 0) NoteStandardOutputError(errno);
  if (!status.ok()) {
    std::fprintf(stderr, "quonder-cli find: %s\n", status.message().c_str());
    return kExitError;
  }
  // Quiet, the run ended at the first hit: what it did not reach is not an error.
  if (command_options.quiet && result.find_counter > 0) return kExitFound;
  if (!command_options.quiet) {
    std::fprintf(stderr, "Found from %d Files.\n", result.found_files);
    for (const std::string& note : RunEndNotes(result, conditions->ext_behavior)) {
      std::fprintf(stderr, "%s\n", note.c_str());
    }
  }
  // Folders or files left unsearched were named above, and make the run's answer incomplete.
  if (HadProblems(result)) return kExitError;
  return result.find_counter > 0 ? kExitFound : kExitNothing;
}

}  // namespace quonder
