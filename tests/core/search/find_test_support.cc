#include "core/search/find_test_support.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "core/text/utf_convert.h"

namespace quonder {
namespace find_test {

ScratchFolder::ScratchFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "quonder_find_XXXXXX").string();
  char* made = mkdtemp(pattern.data());
  path_ = made != nullptr ? made : "";
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  // Restore permissions that a test took away, so everything can be removed.
  for (auto it = std::filesystem::recursive_directory_iterator(
           path_, std::filesystem::directory_options::skip_permission_denied, ignored);
       it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
    if (!it->is_symlink(ignored)) {
      std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ignored);
    }
  }
  std::filesystem::remove_all(path_, ignored);
}

std::string ScratchFolder::Write(const std::string& relative, const std::string& bytes) const {
  std::filesystem::path full = std::filesystem::path(path_) / relative;
  std::filesystem::create_directories(full.parent_path());
  std::ofstream(full, std::ios::binary) << bytes;
  return full.string();
}

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
