#include "core/search/find_test_support.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "core/text/utf_convert.h"

namespace quonder {
namespace find_test {

std::shared_ptr<const FindConditions> RecordingHost::Conditions() { return conditions_; }

bool RecordingHost::StopRequested() {
  ++stop_checks;
  if (!stop && stop_when && stop_when(stop_checks)) stop = true;
  return stop;
}

void RecordingHost::AddResultRow(ResultRow row) {
  rows.push_back(std::move(row));
  if (after_row) after_row(*this);
}

void RecordingHost::SetStatusText(StatusPanel panel, std::u16string text) {
  status[panel].push_back(std::move(text));
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

std::string RunTranscript(const FindConditions& conditions, bool byte_shortcuts,
                          FindRunResult* result) {
  RecordingHost host(conditions);
  FindRunOptions options;
  options.byte_shortcuts = byte_shortcuts;
  FindRunResult own;
  Status status = RunFind(host, options, result != nullptr ? *result : own);
  if (!status.ok()) return "error: " + status.message();
  return host.Transcript();
}

FindConditions ConditionsFor(const std::string& folder, const std::u16string& find_text) {
  FindConditions conditions;
  conditions.source_folder = folder;
  conditions.find_text = find_text;
  conditions.ext_behavior = ExtBehavior::kExclude;  // every file
  conditions.coding = "utf-8";
  return conditions;
}

}  // namespace find_test
}  // namespace quonder
