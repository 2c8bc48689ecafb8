// One item of a find run on its way from the walk to the host, and the two steps every run
// takes with it whatever its number of workers: searching it (the size filter, then the
// file searcher) and finishing it (its counters and problem, handed to the host in walk order).
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/search/file_search.h"
#include "core/search/find_host.h"
#include "core/search/find_run.h"
#include "core/search/find_run_rows.h"
#include "core/search/folder_walk.h"
#include "core/status.h"

namespace quonder {

// On several workers a job passes from the calling thread to a worker and back once per file:
// it starts on a cache line of its own (a neighbour's worker never writes into it), and what a
// worker writes for every file lies on one line next to the walk's item, so that the common
// file costs few lines moving between cores. What is written only now and then (a problem, a
// stopping status, rows) comes after.
struct alignas(64) FileJob {
  explicit FileJob(WalkItem&& item) : walked(std::move(item)) {}

  WalkItem walked;  // the file (with the conditions read for it) or a folder's problem

  // Several workers only (see find_run_workers.cc).
  std::atomic<bool> head{false};  // its rows are the next the host takes
  std::atomic<bool> done{false};
  std::atomic<bool> has_ready{false};
  bool loaded_reported = false;  // the run's own thread said so to the host

  // Filled by whoever searches the file. On several workers the worker owns these until it
  // sets `done`, after which only the run's own thread touches them.
  bool skipped = false;    // the run was stopping before the file was started
  bool oversized = false;  // left out by the size limit
  bool loaded = false;     // loaded: counts in the file counter
  FileOutcome outcome;
  size_t counted = 0;  // bytes of `rows` counted against the run's budget when done
  Status status;       // not ok: the conditions became unusable; the run ends with it
  RowChunk rows;       // the rows not yet passed on

  // Several workers only. Guarded by the run's flow lock until `done`: chunks passed on before
  // the file's end, each with the bytes it counts.
  std::vector<std::pair<RowChunk, size_t>> ready;
};

// How a file's search reads its conditions and the stop request on several workers: the
// conditions read as the file was listed, and the run's stop flag, so that a worker never calls
// the host. (One worker passes the host itself: it reads them at each point of use.)
class ListedConditions : public FindHost {
 public:
  explicit ListedConditions(const std::atomic<bool>& stop) : stop_(stop) {}

  // The searcher takes the conditions at every step: it is handed this worker's own copy of
  // `conditions`, made when they differ from the last file's, so that those steps count
  // references on memory that no other thread writes (the walk counts its own on the
  // original, file by file).
  void Use(const std::shared_ptr<const FindConditions>& conditions) {
    if (conditions == listed_) return;
    listed_ = conditions;
    conditions_ =
        conditions == nullptr ? nullptr : std::make_shared<const FindConditions>(*conditions);
  }
  std::shared_ptr<const FindConditions> Conditions() override { return conditions_; }
  bool StopRequested() override { return stop_.load(std::memory_order_relaxed); }
  void AddResultRow(const ResultRow&) override {}
  void SetStatusText(StatusPanel, std::u16string) override {}

 private:
  const std::atomic<bool>& stop_;
  std::shared_ptr<const FindConditions> listed_;      // as the walk read them
  std::shared_ptr<const FindConditions> conditions_;  // this worker's copy of listed_
};

// Searches the file of `job` (REQUIRES: a kFile item): the size limit of the file's conditions
// (a file that cannot be measured is given up with its reason), then `searcher` reading the
// conditions and the stop request from `reading`, its rows going through `collector`.
// `full_path` is room for the file's path below `root_prefix`, kept from file to file.
void SearchFile(FileJob& job, const std::string& root_prefix, std::string& full_path,
                FileSearcher& searcher, FindHost& reading, RowCollector& collector);

// What the host is told once the item's rows (if any) were handed over: the found-files and
// left-out counters, and the problem, if there was one. False when the run ends with this item
// (the conditions became unusable: `status`; or the matching was stopped).
bool FinishItem(FileJob& job, FindHost& host, FindRunResult& result, Status& status);

}  // namespace quonder
