// What the find-run tests share: a folder that deletes itself, and a host that records every
// call a run makes (in order, with the thread it came from) and can change its conditions or ask
// to stop at a chosen moment.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "core/search/find_host.h"
#include "core/search/find_run.h"
#include "support/scratch_folder.h"

namespace quonder {
namespace find_test {

using testing::ScratchFolder;

class RecordingHost : public FindHost {
 public:
  explicit RecordingHost(FindConditions conditions)
      : conditions_(std::make_shared<FindConditions>(std::move(conditions))) {}

  std::shared_ptr<const FindConditions> Conditions() override;
  bool StopRequested() override;
  void AddResultRow(const ResultRow& row) override;
  void SetStatusText(StatusPanel panel, std::u16string text) override;
  void ReportProblem(RunProblem problem) override;

  // Replaces the conditions the host hands out from now on.
  void Change(const std::function<void(FindConditions&)>& edit);

  // Called before each Conditions answer, with the number of reads so far (from 1).
  std::function<void(int reads, RecordingHost& host)> on_conditions;
  // Called before each StopRequested answer, with the number of checks so far (from 1).
  std::function<bool(int checks)> stop_when;
  // Called after each row, with the rows so far.
  std::function<void(RecordingHost&)> after_row;

  // One line per row: "path:line:column:found:pointer" (found in UTF-8, as the row holds it).
  std::string Transcript() const;
  // One line per problem: "path: message".
  std::string Problems() const;

  std::vector<ResultRow> rows;
  std::vector<RunProblem> problems;
  std::map<StatusPanel, std::vector<std::u16string>> status;
  // Every row, status text and problem in the order they came, one entry each.
  std::vector<std::string> log;
  int condition_reads = 0;
  int stop_checks = 0;
  bool stop = false;
  bool other_thread = false;  // a call came from a thread other than the one that made the host

 private:
  void CheckThread();

  std::shared_ptr<const FindConditions> conditions_;
  std::thread::id owner_ = std::this_thread::get_id();
};

// Runs a whole find run with `conditions`; returns its transcript, or "error: <message>".
std::string RunTranscript(const FindConditions& conditions, bool byte_shortcuts = true,
                          FindRunResult* result = nullptr);
std::string RunTranscript(const FindConditions& conditions, const FindRunOptions& options,
                          FindRunResult* result = nullptr);

// The counters of a run and how it ended, for comparing whole runs.
std::string Summary(const Status& status, const FindRunResult& result);

// Conditions for searching `folder` for `find_text` with every file qualifying, in UTF-8, and
// the modes `flags` names: r a regular expression, i ignoring case, w whole words only (other
// letters are left to the caller).
FindConditions ConditionsFor(const std::string& folder, const std::u16string& find_text,
                             std::string_view flags = "");

}  // namespace find_test
}  // namespace quonder
