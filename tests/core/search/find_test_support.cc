#include "core/search/find_test_support.h"

#include "core/text/utf_convert.h"

namespace quonder {
namespace find_test {

void RecordingHost::CheckThread() {
  if (std::this_thread::get_id() != owner_) other_thread = true;
}

std::shared_ptr<const FindConditions> RecordingHost::Conditions() {
  CheckThread();
  ++condition_reads;
  if (on_conditions) on_conditions(condition_reads, *this);
  return conditions_;
}

bool RecordingHost::StopRequested() {
  CheckThread();
  ++stop_checks;
  if (!stop && stop_when && stop_when(stop_checks)) stop = true;
  return stop;
}

void RecordingHost::AddResultRow(const ResultRow& row) {
  CheckThread();
  log.push_back("row " + std::to_string(row.number) + " " + row.path + ":" +
                std::to_string(row.line) + ":" + std::to_string(row.column) + ":" +
                ToUtf8(row.found) + ":" + std::to_string(row.pointer));
  rows.push_back(row);
  if (after_row) after_row(*this);
}

void RecordingHost::SetStatusText(StatusPanel panel, std::u16string text) {
  CheckThread();
  log.push_back("panel " + std::to_string(static_cast<int>(panel)) + " " + ToUtf8(text));
  status[panel].push_back(std::move(text));
}

void RecordingHost::ReportProblem(RunProblem problem) {
  CheckThread();
  log.push_back("problem " + std::to_string(static_cast<int>(problem.kind)) + " " + problem.path +
                ": " + problem.message);
  problems.push_back(std::move(problem));
}

void RecordingHost::Change(const std::function<void(FindConditions&)>& edit) {
  auto changed = std::make_shared<FindConditions>(*conditions_);
  edit(*changed);
  conditions_ = std::move(changed);
}

std::string RecordingHost::Transcript() const {
  std::string text;
  for (const ResultRow& row : rows) {
    text += row.path + ":" + std::to_string(row.line) + ":" + std::to_string(row.column) + ":" +
            ToUtf8(row.found) + ":" + std::to_string(row.pointer) + "\n";
  }
  return text;
}

std::string RecordingHost::Problems() const {
  std::string text;
  for (const RunProblem& problem : problems) text += problem.path + ": " + problem.message + "\n";
  return text;
}

std::string RunTranscript(const FindConditions& conditions, bool byte_shortcuts,
                          FindRunResult* result) {
  FindRunOptions options;
  options.byte_shortcuts = byte_shortcuts;
  return RunTranscript(conditions, options, result);
}

std::string RunTranscript(const FindConditions& conditions, const FindRunOptions& options,
                          FindRunResult* result) {
  RecordingHost host(conditions);
  FindRunResult own;
  Status status = RunFind(host, options, result != nullptr ? *result : own);
  if (!status.ok()) return "error: " + status.message();
  return host.Transcript();
}

std::string Summary(const Status& status, const FindRunResult& result) {
  return status.message() + " files=" + std::to_string(result.file_counter) +
         " finds=" + std::to_string(result.find_counter) +
         " found=" + std::to_string(result.found_files) +
         " given_up=" + std::to_string(result.given_up_files) +
         " too_complex=" + std::to_string(result.too_complex_files) +
         " unlisted=" + std::to_string(result.unlisted_folders) +
         " oversized=" + std::to_string(result.oversized_files) +
         " filtered=" + std::to_string(result.filtered_files) +
         " stopped=" + std::to_string(result.stopped);
}

FindConditions ConditionsFor(const std::string& folder, const std::u16string& find_text,
                             std::string_view flags) {
  FindConditions conditions;
  conditions.source_folder = folder;
  conditions.find_text = find_text;
  conditions.ext_behavior = ExtBehavior::kExclude;  // every file
  conditions.coding = "utf-8";
  conditions.reg_exp = flags.find('r') != std::string_view::npos;
  conditions.ignore_case = flags.find('i') != std::string_view::npos;
  conditions.word_only = flags.find('w') != std::string_view::npos;
  return conditions;
}

}  // namespace find_test
}  // namespace quonder
