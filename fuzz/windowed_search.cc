// Feeds the find run one file of random bytes and random conditions (plain or regular
// expression, ignore case, word only, line feed code), and compares three runs over it: the
// decoded text alone (no byte shortcuts), the whole file, and the file searched in windows of a
// few bytes. All three must give the same rows (line, column, found, pointer) and counters.
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "core/search/find_host.h"
#include "core/search/find_run.h"
#include "fuzz_folder.h"

namespace quonder {
namespace {

void Check(bool condition, const char* what, const std::string& a, const std::string& b) {
  if (condition) return;
  std::fprintf(stderr, "windowed_search: %s\n--- first\n%s--- second\n%s---\n", what, a.c_str(),
               b.c_str());
  std::abort();
}

class TranscriptHost : public FindHost {
 public:
  explicit TranscriptHost(const FindConditions& conditions)
      : conditions_(std::make_shared<FindConditions>(conditions)) {}
  std::shared_ptr<const FindConditions> Conditions() override { return conditions_; }
  bool StopRequested() override { return false; }
  bool ShowsStatus() override { return false; }
  void SetStatusText(StatusPanel, std::u16string) override {}
  void AddResultRow(const ResultRow& row) override {
    transcript += std::to_string(row.number) + ":" + std::to_string(row.line) + ":" +
                  std::to_string(row.column) + ":" + std::to_string(row.pointer) + ":";
    for (char16_t unit : row.found) transcript += std::to_string(unit) + " ";
    transcript += "\n";
  }
  void ReportProblem(RunProblem problem) override {
    transcript += "problem " + std::to_string(static_cast<int>(problem.kind)) + "\n";
  }
  std::string transcript;

 private:
  std::shared_ptr<const FindConditions> conditions_;
};

std::string Run(const FindConditions& conditions, const FindRunOptions& options, bool& gave_up) {
  TranscriptHost host(conditions);
  FindRunResult result;
  Status status = RunFind(host, options, result);
  gave_up = gave_up || result.given_up_files > 0;
  return host.transcript + status.message() + " files=" + std::to_string(result.file_counter) +
         " finds=" + std::to_string(result.find_counter) +
         " found=" + std::to_string(result.found_files) +
         " given_up=" + std::to_string(result.given_up_files) + "\n";
}

// Bytes below 0x80 stand for themselves; the others for characters where counting is subtle.
std::u16string Widen(std::string_view bytes) {
  static constexpr const char16_t* kOthers[] = {u"\u00E9", u"\u00C9", u"\U0001F600", u"\u212A",
                                                u"\r",     u"\n",     u"\r\n",       u"\uFFFD",
                                                u"\u3042", u"\u017F", u"\u00DF",     u"\u0130"};
  std::u16string text;
  for (unsigned char c : bytes) {
    if (c < 0x80) {
      text += static_cast<char16_t>(c);
    } else {
      text += kOthers[c % std::size(kOthers)];
    }
  }
  return text;
}

}  // namespace
}  // namespace quonder

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quonder;
  FuzzedDataProvider input(data, size);
  FindConditions conditions;
  conditions.source_folder = FuzzFolder();
  conditions.ext_behavior = ExtBehavior::kExclude;  // every file
  conditions.coding = "utf-8";
  conditions.reg_exp = input.ConsumeBool();
  conditions.ignore_case = input.ConsumeBool();
  conditions.word_only = input.ConsumeBool();
  static constexpr const char16_t* kLineFeeds[] = {u"\r\n", u"\n", u"\r"};
  conditions.line_feed_code = input.PickValueInArray(kLineFeeds);
  FindRunOptions windowed;
  windowed.window_bytes = input.ConsumeIntegralInRange<size_t>(1, 16);
  conditions.find_text = Widen(input.ConsumeRandomLengthString(12));
  if (conditions.find_text.empty()) return 0;
  const std::string content = input.ConsumeRemainingBytesAsString();
  FILE* file = std::fopen((FuzzFolder() + "/f.txt").c_str(), "wb");
  if (file == nullptr) std::abort();
  std::fwrite(content.data(), 1, content.size(), file);
  std::fclose(file);

  bool gave_up = false;
  FindRunOptions decoded;
  decoded.byte_shortcuts = false;
  const std::string reference = Run(conditions, decoded, gave_up);
  const std::string whole = Run(conditions, FindRunOptions(), gave_up);
  const std::string in_windows = Run(conditions, windowed, gave_up);
  // A pattern that hits the engine's work limit may hit it at another place in another run.
  if (gave_up) return 0;
  Check(whole == reference, "the byte shortcuts give other rows", reference, whole);
  Check(in_windows == whole, "windows give other rows", whole, in_windows);
  return 0;
}
