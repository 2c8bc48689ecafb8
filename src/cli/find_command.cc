#include "cli/find_command.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/find_options.h"
#include "cli/program_folder.h"
#include "cli/row_printer.h"
#include "core/find_run.h"

namespace quonder {
namespace {

constexpr char kUsage[] = "usage: quonder-cli find [options] FIND_TEXT FOLDER\n";

// The command line's host: fixed conditions, no stop request, rows straight to the printer.
class CliHost : public FindHost {
 public:
  CliHost(std::shared_ptr<const FindConditions> conditions, RowPrinter& printer)
      : conditions_(std::move(conditions)), printer_(printer) {}

  std::shared_ptr<const FindConditions> Conditions() override { return conditions_; }
  bool StopRequested() override { return false; }
  void AddResultRow(ResultRow row) override { printer_.Print(row, conditions_->reg_exp); }
  void SetStatusText(StatusPanel, std::u16string) override {}

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
  switch (ParseFindOptions(args, values, error)) {
    case ParseOutcome::kHelp:
      std::printf("%s\nFinds FIND_TEXT in every file of FOLDER and prints one line per hit:\n"
                  "No., File Path, Line, Column, Found and Pointer, separated by tabs.\n"
                  "Paths are relative to FOLDER; Line, Column and Pointer count from 1 in\n"
                  "UTF-16 code units of the decoded text. \"Found from N Files.\" goes to\n"
                  "standard error. Exit status: 0 run completed, 1 could not run, 2 usage.\n\n"
                  "Options:\n%s",
                  kUsage, FindOptionsHelp());
      return 0;
    case ParseOutcome::kUsageError:
      return UsageError(error);
    case ParseOutcome::kOk:
      break;
  }
  const size_t count = values.positionals.size();
  if (count > 2 || (!values.ini_file && count != 2)) {
    return UsageError(count > 2 ? "too many arguments" : "FIND_TEXT and FOLDER are needed");
  }
  std::optional<std::string> find_text, folder;
  if (count >= 1) find_text = values.positionals[0];
  if (count >= 2) folder = values.positionals[1];

  std::vector<std::string> charset_names;
  std::string default_charset;
  LoadCharsetChoices(charset_names, default_charset);
  auto conditions = std::make_shared<FindConditions>();
  Status status = ResolveFindConditions(values, find_text, folder, default_charset,
                                        charset_names, *conditions);
  if (status.code() == Status::Code::kInvalidArgument) return UsageError(status.message());
  if (!status.ok()) {
    std::fprintf(stderr, "quonder-cli find: %s\n", status.message().c_str());
    return 1;
  }

  RowPrinter printer(stdout, values.json);
  CliHost host(conditions, printer);
  FindRunResult result;
  status = RunFind(host, FindRunOptions(), result);
  printer.Flush();
  std::fflush(stdout);
  if (!status.ok()) {
    std::fprintf(stderr, "quonder-cli find: %s\n", status.message().c_str());
    return 1;
  }
  if (result.given_up_files > 0) {
    std::fprintf(stderr, "quonder-cli find: %d files could not be read\n",
                 result.given_up_files);
  }
  std::fprintf(stderr, "Found from %d Files.\n", result.found_files);
  return 0;
}

}  // namespace quonder
