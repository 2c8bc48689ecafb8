#include "cli/find_command.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "cli/find_options.h"
#include "cli/row_printer.h"
#include "core/search/find_run.h"
#include "core/search/find_run_summary.h"

namespace quonder {
namespace {

constexpr char kUsage[] = "usage: quonder-cli find [options] FIND_TEXT FOLDER\n";
constexpr char kThreadsHelp[] =
    "      --threads N      search with N workers; the rows come in the same order for any\n"
    "                       N (default 0: as many as cores)\n";

// The command line's host: fixed conditions, no stop request, rows straight to the printer,
// each folder or file that could not be searched on standard error with its reason.
class CliHost : public FindHost {
 public:
  CliHost(std::shared_ptr<const FindConditions> conditions, RowPrinter& printer)
      : conditions_(std::move(conditions)), printer_(printer) {}

  std::shared_ptr<const FindConditions> Conditions() override { return conditions_; }
  bool StopRequested() override { return false; }
  void AddResultRow(ResultRow row) override { printer_.Print(row, conditions_->reg_exp); }
  void SetStatusText(StatusPanel, std::u16string) override {}
  void ReportProblem(RunProblem problem) override {
    std::fprintf(stderr, "quonder-cli find: %s\n", ProblemText(problem).c_str());
  }

 private:
  std::shared_ptr<const FindConditions> conditions_;
  RowPrinter& printer_;
};

int UsageError(const std::string& reason) {
  std::fprintf(stderr, "quonder-cli find: %s\n%s", reason.c_str(), kUsage);
  return 2;
}

}  // namespace

int RunFindCommand(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  FindOptionValues values;
  std::string error;
  FindRunOptions run_options;
  run_options.threads = 0;  // as many workers as cores
  auto threads_option = [&run_options](const std::vector<std::string>& list, size_t index,
                                       std::string& reason) {
    if (list[index] != "--threads") return 0;
    if (index + 1 >= list.size()) {
      reason = "option --threads needs a value";
      return -1;
    }
    const std::string& value = list[index + 1];
    char* end = nullptr;
    const long count = std::strtol(value.c_str(), &end, 10);
    if (value.empty() || *end != '\0' || count < 0 || count > kMaxFindWorkers) {
      reason = "--threads takes a number of workers from 0 (as many as cores) to " +
               std::to_string(kMaxFindWorkers) + ", not \"" + value + "\"";
      return -1;
    }
    run_options.threads = static_cast<int>(count);
    return 2;
  };
  switch (ParseFindOptions(args, values, error, threads_option)) {
    case ParseOutcome::kHelp:
      std::printf(
          "%s\nFinds FIND_TEXT in every file of FOLDER and prints one line per hit:\n"
          "No., File Path, Line, Column, Found and Pointer, separated by tabs.\n"
          "Paths are relative to FOLDER; Line, Column and Pointer count from 1 in\n"
          "UTF-16 code units of the decoded text. \"Found from N Files.\" goes to\n"
          "standard error. Exit status: 0 run completed, 1 could not run, 2 usage.\n\n"
          "Options:\n%s%s",
          kUsage, FindOptionsHelp(), kThreadsHelp);
      return 0;
    case ParseOutcome::kUsageError:
      return UsageError(error);
    case ParseOutcome::kOk:
      break;
  }
  auto conditions = std::make_shared<FindConditions>();
  Status status = ConditionsFromCommandLine(values, *conditions);
  if (status.code() == Status::Code::kInvalidArgument) return UsageError(status.message());
  if (!status.ok()) {
    std::fprintf(stderr, "quonder-cli find: %s\n", status.message().c_str());
    return 1;
  }

  RowPrinter printer(stdout, values.json);
  CliHost host(conditions, printer);
  FindRunResult result;
  status = RunFind(host, run_options, result);
  printer.Flush();
  std::fflush(stdout);
  if (!status.ok()) {
    std::fprintf(stderr, "quonder-cli find: %s\n", status.message().c_str());
    return 1;
  }
  std::fprintf(stderr, "Found from %d Files.\n", result.found_files);
  for (const std::string& note : RunEndNotes(result, conditions->ext_behavior)) {
    std::fprintf(stderr, "%s\n", note.c_str());
  }
  // Folders or files left unsearched were named above; what the exit status says of them is
  // kRunIncomplete's to tell.
  constexpr int kRunIncomplete = 0;
  return HadProblems(result) ? kRunIncomplete : 0;
}

}  // namespace quonder
