#include "core/search/find_run.h"

#include <algorithm>
#include <string>
#include <thread>
#include <utility>

#include "core/fileops/file_common.h"
#include "core/search/file_search.h"
#include "core/search/find_run_file.h"
#include "core/search/find_run_rows.h"
#include "core/search/find_run_workers.h"
#include "core/search/folder_walk.h"

namespace quonder {
namespace {

// One worker: every row goes to the host as it is found.
class HostOutlet : public RowOutlet {
 public:
  HostOutlet(FindHost& host, FindRunResult& result) : host_(host), result_(result) {}

  void Start(FileJob& job) {
    job_ = &job;
    row_.path.clear();  // set by the file's first row: a file's path is never empty
  }
  void Loaded() override { ReportFileLoaded(host_, job_->walked.relative_path, result_); }
  void Row(int64_t line, int64_t column, int64_t pointer, std::u16string_view found_cell) override {
    if (row_.path.empty()) row_.path = job_->walked.relative_path;
    HandRow(host_, row_, line, column, pointer, found_cell, result_);
  }

 private:
  FindHost& host_;
  FindRunResult& result_;
  FileJob* job_ = nullptr;
  ResultRow row_;  // the file's rows, one after the other
};

// The pipeline on the calling thread: each item of the walk in turn is searched, reading the
// conditions from the host at each point of use, and finished before the walk goes on.
Status RunOnCallingThread(FindHost& host, FileSearcher& searcher, FolderWalk& walk,
                          FindRunResult& result) {
  HostOutlet outlet(host, result);
  RowCollector collector(outlet);
  Status status;
  WalkItem item;
  std::string full_path;
  while (true) {
    const FolderWalk::Step step = walk.Next(item);
    if (step == FolderWalk::Step::kStopped) result.stopped = true;
    if (step != FolderWalk::Step::kItem) break;
    FileJob job(std::move(item));
    if (job.walked.kind == WalkItem::Kind::kFile) {
      outlet.Start(job);
      SearchFile(job, walk.root_prefix(), full_path, searcher, host, collector);
    }
    if (!FinishItem(job, host, result, status)) {
      result.stopped = job.outcome.stopped;
      return status;
    }
  }
  result.filtered_files = walk.filtered();
  return status;
}

}  // namespace

int WorkerCount(const FindRunOptions& options) {
  int workers = options.threads;
  if (workers <= 0) workers = static_cast<int>(std::thread::hardware_concurrency());
  return std::clamp(workers, 1, kMaxFindWorkers);
}

Status RunFind(FindHost& host, const FindRunOptions& options, FindRunResult& result) {
  result = FindRunResult();
  std::shared_ptr<const FindConditions> conditions = host.Conditions();
  if (conditions == nullptr || conditions->find_text.empty()) {
    return Status::Error(Status::Code::kInvalidArgument, "Set Find data !");
  }
  FileSearcher searcher(options.byte_shortcuts, options.window_bytes);
  Status status = searcher.Prepare(*conditions);
  if (!status.ok()) return status;
  const std::string root = ExpandFolder(conditions->source_folder, conditions->literal_folders);
  FolderListing listing;
  status = ListFolder(root, listing);
  if (!status.ok()) return status;
  FolderWalk walk(host, root, std::move(listing));
  const int workers = WorkerCount(options);
  status = workers == 1 ? RunOnCallingThread(host, searcher, walk, result)
                        : RunOnWorkers(host, options, workers, walk, result);
  result.other_entries = walk.others();
  return status;
}

}  // namespace quonder
