// For the tests of the file commands (replace, backup, restore, copy): a host that records what
// a command says and answers its questions, rows for given paths, and a backup folder.
#pragma once

#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/fileops/file_ops_host.h"
#include "core/search/result_rows.h"
#include "core/text/utf_convert.h"
#include "support/scratch_folder.h"

namespace quonder::testing {

// One row per path, in the order given.
inline ResultRows RowsFor(const std::vector<std::string>& paths) {
  ResultRows rows;
  for (const std::string& path : paths) {
    // A string literal for `found` trips a GCC 12 -Wrestrict false alarm.
    rows.Append(ResultRow{.path = path, .found = std::u16string(1, u'x'), .pointer = 1});
  }
  return rows;
}

// Makes `relative` in `folder` as the window's backup folder is made: a folder closed to
// other users. Returns its path.
inline std::string MakePrivate(const ScratchFolder& folder, const std::string& relative) {
  const std::string path = folder.Path(relative);
  std::filesystem::create_directories(path);
  std::filesystem::permissions(path, std::filesystem::perms::owner_all);
  return path;
}

// Records every call as one line of a transcript and answers questions from a queue (OK when
// it is empty). StopRequested() turns true from its `stop_at`-th call on.
class FakeHost : public FileOpsHost {
 public:
  FileOpsConditions conditions;
  std::deque<int> answers;
  int stop_at = 0;  // 0: never
  int stop_calls = 0;
  std::function<void(int call)> on_stop_check;  // called at each StopRequested(), from 1
  std::vector<std::string> transcript;
  std::map<int, std::string> panels;
  std::vector<std::string> messages;  // "title|style|prompt", CR LF shown as "\n"
  std::map<std::string, std::string> settings;
  std::map<FileOpsCommand, bool> enabled;

  std::shared_ptr<const FileOpsConditions> Conditions() override {
    return std::make_shared<const FileOpsConditions>(conditions);
  }
  bool StopRequested() override {
    ++stop_calls;
    if (on_stop_check) on_stop_check(stop_calls);
    return stop_at != 0 && stop_calls >= stop_at;
  }
  void ClearStopRequest() override { transcript.push_back("clear stop"); }
  void SetStatusText(StatusPanel panel, std::u16string text) override {
    panels[static_cast<int>(panel)] = ToUtf8(text);
    if (panel == StatusPanel::kStatus) transcript.push_back("panel 1: " + ToUtf8(text));
  }
  int ShowMessage(const std::u16string& prompt, const std::u16string& title, int style) override {
    std::string shown = ToUtf8(prompt);
    for (size_t at; (at = shown.find("\r\n")) != std::string::npos;) shown.replace(at, 2, "\n");
    messages.push_back(ToUtf8(title) + "|" + std::to_string(style) + "|" + shown);
    transcript.push_back("message " + std::to_string(style));
    if (answers.empty()) return 1;
    int answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void SetBusy(bool busy) override { transcript.push_back(busy ? "busy" : "idle"); }
  void SetCommandEnabled(FileOpsCommand command, bool on) override { enabled[command] = on; }
  void FocusResultList() override { transcript.push_back("focus list"); }
  void WriteSetting(const std::string& key, const std::string& value) override {
    settings[key] = value;
    transcript.push_back("write " + key + "=" + value);
  }
  void AddReplaceHistory() override { transcript.push_back("replace history"); }

  std::string LastMessage() const { return messages.empty() ? "" : messages.back(); }
};

}  // namespace quonder::testing
