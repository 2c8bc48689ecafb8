// Times the find run itself, without printing: RunFind over a folder with a host that only
// counts rows, once with the raw-byte shortcuts and once decoding every file, so that the cost
// of each part of the run can be told apart from quonder-cli's output.
//
// usage: find_run_bench FIND_TEXT FOLDER [-e] [-i] [--coding NAME] [--full-decode]
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "core/search/find_run.h"
#include "core/text/utf_convert.h"

namespace {

class CountingHost : public quonder::FindHost {
 public:
  explicit CountingHost(std::shared_ptr<const quonder::FindConditions> conditions)
      : conditions_(std::move(conditions)) {}
  std::shared_ptr<const quonder::FindConditions> Conditions() override { return conditions_; }
  bool StopRequested() override { return false; }
  void AddResultRow(const quonder::ResultRow& row) override { found_units += row.found.size(); }
  void SetStatusText(quonder::StatusPanel, std::u16string) override {}
  size_t found_units = 0;

 private:
  std::shared_ptr<const quonder::FindConditions> conditions_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fputs(
        "usage: find_run_bench FIND_TEXT FOLDER [-e] [-i] [--coding NAME] "
        "[--full-decode]\n",
        stderr);
    return 2;
  }
  auto conditions = std::make_shared<quonder::FindConditions>();
  conditions->find_text = quonder::ToUtf16(argv[1]);
  conditions->source_folder = argv[2];
  conditions->sub_folders = true;
  conditions->ext_behavior = quonder::ExtBehavior::kExclude;
  quonder::FindRunOptions options;
  for (int i = 3; i < argc; ++i) {
    if (std::strcmp(argv[i], "-e") == 0) conditions->reg_exp = true;
    if (std::strcmp(argv[i], "-i") == 0) conditions->ignore_case = true;
    if (std::strcmp(argv[i], "--full-decode") == 0) options.byte_shortcuts = false;
    if (std::strcmp(argv[i], "--coding") == 0 && i + 1 < argc) conditions->coding = argv[++i];
  }
  CountingHost host(conditions);
  quonder::FindRunResult result;
  auto begin = std::chrono::steady_clock::now();
  quonder::Status status = quonder::RunFind(host, options, result);
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  if (!status.ok()) {
    std::fprintf(stderr, "%s\n", status.message().c_str());
    return 1;
  }
  std::printf("%lld rows, %d files read, %d with hits, in %.3f s\n",
              static_cast<long long>(result.find_counter), result.file_counter, result.found_files,
              seconds);
  return 0;
}
