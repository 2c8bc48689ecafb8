#include "core/search/find_run_parallel.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "core/fileops/file_common.h"
#include "core/search/file_filter.h"
#include "core/search/file_search.h"
#include "core/search/find_run_report.h"
#include "core/text/string_common.h"

namespace quonder {
namespace {

// How long the calling thread waits for a result before it asks the host about a stop again.
constexpr std::chrono::milliseconds kStopPoll(2);
// Files handed out but not yet passed to the host, per worker: room for the other workers to
// go on while one searches a large file that holds up the ones behind it (a file of a few
// hundred bytes each). What the finished ones hold is bounded by kPendingBytes.
constexpr size_t kWindowPerWorker = 16384;
// Files handed out but not yet started, per worker: enough to keep the workers busy while the
// calling thread passes rows on, few enough that a condition changed during the run (read as
// a file is handed out) reaches the files soon after.
constexpr size_t kQueuedPerWorker = 2048;
// The rows that finished files may hold while a file ahead of them is still searched; beyond
// it no more files are handed out until the host has taken rows.
constexpr size_t kPendingBytes = size_t{32} << 20;
// Finished files passed to the host between two looks at the stop request and the walk, so
// that the rows piled up behind a large file do not leave the workers without files.
constexpr size_t kDeliverAtATime = 256;
// Entries the walk looks at between two looks at the host's stop request.
constexpr int kWalkSteps = 64;
// Files handed to the workers at a time.
constexpr size_t kBatch = 32;
// Files a worker takes from the queue at most at a time.
constexpr size_t kMaxTaken = 8;

// One file on its way through the run. The calling thread fills the first part and owns the
// job; a worker fills the rest and then sets `done` (release), after which only the calling
// thread touches it again.
struct FileJob {
  std::string relative_path;  // the worker puts the source folder in front
  std::shared_ptr<const FindConditions> conditions;

  bool skipped = false;   // the run was stopping before the file was started
  bool searched = false;  // it passed the size filter and was searched
  FileOutcome outcome;
  Status status;
  // The rows, kept compact: the calling thread makes each ResultRow as it hands it over, so
  // that what the host frees was allocated on its own thread.
  struct Hit {
    int32_t line;
    int32_t column;
    int32_t pointer;
    size_t found_begin;  // in `found`
    size_t found_size;
  };
  std::vector<Hit> hits;
  std::u16string found;  // the Found cells of the hits one after another, as shown
  std::atomic<bool> done{false};

  // What its rows take while they wait for the host.
  size_t PendingBytes() const {
    return hits.capacity() * sizeof(Hit) + found.capacity() * sizeof(char16_t);
  }
};

// What a worker's searcher sees as its host: the conditions read for the file in hand and the
// run's stop flag. Rows and status texts go through the job instead.
class WorkerHost : public FindHost {
 public:
  explicit WorkerHost(const std::atomic<bool>& stop) : stop_(stop) {}

  void Use(std::shared_ptr<const FindConditions> conditions) {
    conditions_ = std::move(conditions);
  }
  std::shared_ptr<const FindConditions> Conditions() override { return conditions_; }
  bool StopRequested() override { return stop_.load(std::memory_order_relaxed); }
  void AddResultRow(ResultRow) override {}
  void SetStatusText(StatusPanel, std::u16string) override {}

 private:
  const std::atomic<bool>& stop_;
  std::shared_ptr<const FindConditions> conditions_;
};

// Gathers one file's rows in the job, so that handing them over takes one lock per file.
class RowCollector : public FileEvents {
 public:
  void Start(FileJob& job) { job_ = &job; }
  void OnLoaded() override {}
  void OnHit(int32_t line, int32_t column, int32_t pointer, std::u16string_view found,
             const PreparedConditions& prepared) override {
    const size_t begin = job_->found.size();
    // Regular-expression hits may span lines: their Found cell is escaped.
    if (prepared.conditions().reg_exp) {
      job_->found += EscapeControlChars(std::u16string(found));
    } else {
      job_->found.append(found);
    }
    job_->hits.push_back({line, column, pointer, begin, job_->found.size() - begin});
  }

 private:
  FileJob* job_ = nullptr;
};

class Pipeline {
 public:
  Pipeline(FindHost& host, const FindRunOptions& options, int workers, FindRunResult& result)
      : host_(host),
        byte_shortcuts_(options.byte_shortcuts),
        workers_(workers),
        window_(options.ahead_files > 0 ? options.ahead_files
                                        : kWindowPerWorker * static_cast<size_t>(workers)),
        pending_limit_(options.ahead_bytes > 0 ? options.ahead_bytes : kPendingBytes),
        queue_target_(std::min(window_, kQueuedPerWorker * static_cast<size_t>(workers))),
        result_(result) {}
  ~Pipeline() { Shutdown(); }
  Pipeline(const Pipeline&) = delete;
  Pipeline& operator=(const Pipeline&) = delete;

  Status Run(const std::string& root, FolderListing listing);

 private:
  enum class WalkStep { kJob, kBusy, kOver };

  // One folder of the walk in progress: its files, then (when the conditions ask for them
  // once its files are handed out) its subfolders.
  struct Frame {
    std::string full;
    std::string relative;  // "" for the source folder, else ending in '/'
    FolderListing listing;
    size_t next_file = 0;
    size_t next_folder = 0;
    bool decided = false;  // whether to descend was read
    bool descend = false;
  };

  bool StartWorkers();
  void Shutdown();
  void Work();
  void SearchJob(FileJob& job, std::string& full_path, FileSearcher& searcher, WorkerHost& host,
                 RowCollector& collector);
  WalkStep NextJob(std::unique_ptr<FileJob>& job);
  // No more files may be handed out until the host has taken some.
  bool Full() const {
    return in_flight_.size() >= window_ ||
           pending_bytes_.load(std::memory_order_relaxed) >= pending_limit_;
  }
  // Walks on and hands files out; true when the queue holds as many as it should.
  bool HandOut(bool& walk_over);
  bool Deliver(FileJob& job, Status& status);
  void DeliverFinishedAfterStop();

  FindHost& host_;
  const bool byte_shortcuts_;
  const int workers_;
  const size_t window_;         // files in flight at most
  const size_t pending_limit_;  // see kPendingBytes
  const size_t queue_target_;   // see kQueuedPerWorker
  FindRunResult& result_;
  std::string root_prefix_;  // the source folder with its '/', set before the workers start

  // Calling thread only.
  std::vector<Frame> walk_;
  std::deque<std::unique_ptr<FileJob>> in_flight_;  // walk order, not yet passed to the host
  std::vector<std::thread> threads_;

  std::atomic<bool> stop_{false};
  std::atomic<size_t> pending_bytes_{0};  // of the finished files not yet passed to the host
  std::mutex mutex_;
  std::condition_variable work_ready_;
  std::condition_variable result_ready_;
  // Guarded by mutex_.
  std::deque<FileJob*> queue_;  // handed out, not yet started
  bool wake_asked_ = false;     // a worker woke the calling thread
  bool walk_over_ = false;      // every file was handed out
  bool closing_ = false;
};

bool Pipeline::StartWorkers() {
  for (int i = 0; i < workers_; ++i) {
    try {
      threads_.emplace_back([this] { Work(); });
    } catch (const std::system_error&) {
      break;  // fewer workers than asked still give every row
    }
  }
  return !threads_.empty();
}

void Pipeline::Shutdown() {
  stop_.store(true);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    closing_ = true;
    queue_.clear();
  }
  work_ready_.notify_all();
  for (std::thread& thread : threads_) thread.join();
  threads_.clear();
}

void Pipeline::Work() {
  FileSearcher searcher(byte_shortcuts_);
  WorkerHost host(stop_);
  RowCollector collector;
  // The calling thread is woken when the queue is half empty, to pass on what is finished and
  // refill it, and once the last file handed out is taken; otherwise finished files wait for
  // its next look (every kStopPoll at most), so that small files do not cost a wake-up each.
  // A worker takes a few files at a time while many wait, so that the lock is not taken for
  // every small file; never so many that the other workers run dry.
  const size_t low_water = queue_target_ / 2;
  const size_t share = 4 * static_cast<size_t>(workers_);
  std::vector<FileJob*> taken;
  std::string full_path;
  while (true) {
    taken.clear();
    bool wake = false;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      const bool wanted = walk_over_ ? queue_.empty() : queue_.size() <= low_water;
      if (!wake_asked_ && wanted) wake = wake_asked_ = true;
      work_ready_.wait(lock, [this] { return closing_ || !queue_.empty(); });
      if (closing_) return;
      const size_t count = std::clamp<size_t>(queue_.size() / share, 1, kMaxTaken);
      taken.assign(queue_.begin(), queue_.begin() + static_cast<std::ptrdiff_t>(count));
      queue_.erase(queue_.begin(), queue_.begin() + static_cast<std::ptrdiff_t>(count));
    }
    if (wake) result_ready_.notify_one();
    for (FileJob* job : taken) {
      SearchJob(*job, full_path, searcher, host, collector);
      pending_bytes_.fetch_add(job->PendingBytes(), std::memory_order_relaxed);
      job->done.store(true, std::memory_order_release);
    }
  }
}

void Pipeline::SearchJob(FileJob& job, std::string& full_path, FileSearcher& searcher,
                         WorkerHost& host, RowCollector& collector) {
  if (stop_.load(std::memory_order_relaxed)) {
    job.skipped = true;
    return;
  }
  full_path.assign(root_prefix_);
  full_path += job.relative_path;
  // The size is asked for only when a limit applies; a file that cannot be measured then
  // does not qualify.
  const FindConditions& conditions = *job.conditions;
  if (conditions.max_size != 0) {
    int64_t size = 0;
    if (!FileSize(full_path, size) || !SizeQualifies(size, conditions)) return;
  }
  job.searched = true;
  host.Use(job.conditions);
  collector.Start(job);
  job.status = searcher.Search(full_path, host, collector, job.outcome);
}

Pipeline::WalkStep Pipeline::NextJob(std::unique_ptr<FileJob>& job) {
  for (int steps = 0; steps < kWalkSteps; ++steps) {
    if (walk_.empty()) return WalkStep::kOver;
    Frame& frame = walk_.back();
    if (frame.next_file < frame.listing.files.size()) {
      const std::string& name = frame.listing.files[frame.next_file++];
      std::shared_ptr<const FindConditions> conditions = host_.Conditions();
      if (conditions == nullptr || !ExtensionQualifies(name, *conditions)) continue;
      job = std::make_unique<FileJob>();
      job->relative_path = frame.relative + name;
      job->conditions = std::move(conditions);
      return WalkStep::kJob;
    }
    if (!frame.decided) {
      frame.decided = true;
      std::shared_ptr<const FindConditions> conditions = host_.Conditions();
      frame.descend = conditions != nullptr && conditions->sub_folders;
    }
    if (!frame.descend || frame.next_folder >= frame.listing.folders.size()) {
      walk_.pop_back();
      continue;
    }
    const std::string& name = frame.listing.folders[frame.next_folder++];
    Frame sub;
    sub.full = BuildPath(frame.full, name);
    sub.relative = frame.relative + name + "/";
    // A folder that cannot be listed is skipped like an unreadable file.
    if (ListFolder(sub.full, sub.listing).ok()) walk_.push_back(std::move(sub));
  }
  return WalkStep::kBusy;
}

bool Pipeline::HandOut(bool& walk_over) {
  size_t queued = 0;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    queued = queue_.size();
  }
  std::vector<FileJob*> batch;
  while (!Full() && queued + batch.size() < queue_target_) {
    std::unique_ptr<FileJob> job;
    WalkStep step = NextJob(job);
    if (step == WalkStep::kOver) walk_over = true;
    if (step != WalkStep::kJob) break;
    batch.push_back(job.get());
    in_flight_.push_back(std::move(job));
    // The first files go out at once, so that the workers start while the walk goes on.
    if (batch.size() >= kBatch) break;
  }
  const bool enough = queued + batch.size() >= queue_target_;
  if (batch.empty() && !walk_over) return enough;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.insert(queue_.end(), batch.begin(), batch.end());
    walk_over_ = walk_over;
  }
  if (batch.size() == 1) {
    work_ready_.notify_one();
  } else if (!batch.empty()) {
    work_ready_.notify_all();
  }
  return enough;
}

// Passes one finished file to the host as one worker would have; false when the run ends
// with it.
bool Pipeline::Deliver(FileJob& job, Status& status) {
  if (job.skipped) return false;
  if (job.searched) {
    if (job.outcome.loaded) ReportFileLoaded(host_, job.relative_path, result_);
    for (const FileJob::Hit& hit : job.hits) {
      ResultRow row;
      row.path = job.relative_path;
      row.line = hit.line;
      row.column = hit.column;
      row.pointer = hit.pointer;
      row.found.assign(job.found, hit.found_begin, hit.found_size);
      ReportRow(host_, std::move(row), result_);
    }
    if (job.outcome.hits > 0) ++result_.found_files;
    if (job.outcome.given_up) ++result_.given_up_files;
  }
  if (!job.status.ok()) {
    status = job.status;
    return false;
  }
  return !job.outcome.stopped;
}

// After the workers were joined on a stop: the files finished by then, in walk order, up to
// and including the first one the stop cut short.
void Pipeline::DeliverFinishedAfterStop() {
  Status ignored;
  while (!in_flight_.empty() && in_flight_.front()->done.load(std::memory_order_acquire)) {
    std::unique_ptr<FileJob> job = std::move(in_flight_.front());
    in_flight_.pop_front();
    if (!Deliver(*job, ignored)) break;
  }
}

Status Pipeline::Run(const std::string& root, FolderListing listing) {
  Frame top;
  top.full = root;
  root_prefix_ = BuildPath(root, "");
  top.listing = std::move(listing);
  walk_.push_back(std::move(top));
  if (!StartWorkers()) {
    return Status::Error(Status::Code::kIoError, "Cannot start the find run's workers");
  }
  Status status;
  bool walk_over = false;
  bool ended = false;
  std::vector<std::unique_ptr<FileJob>> ready;
  while (!ended) {
    if (host_.StopRequested()) {
      result_.stopped = true;
      break;
    }
    const bool queue_full = !walk_over && HandOut(walk_over);
    ready.clear();
    while (ready.size() < kDeliverAtATime && !in_flight_.empty() &&
           in_flight_.front()->done.load(std::memory_order_acquire)) {
      ready.push_back(std::move(in_flight_.front()));
      in_flight_.pop_front();
    }
    if (ready.empty()) {
      if (in_flight_.empty()) {
        if (walk_over) break;
        continue;
      }
      // Wait only when there is nothing to hand out.
      if (walk_over || queue_full || Full()) {
        std::unique_lock<std::mutex> lock(mutex_);
        result_ready_.wait_for(lock, kStopPoll, [this] { return wake_asked_; });
        wake_asked_ = false;
      }
      continue;
    }
    for (std::unique_ptr<FileJob>& job : ready) {
      pending_bytes_.fetch_sub(job->PendingBytes(), std::memory_order_relaxed);
      if (!Deliver(*job, status)) {
        ended = true;
        break;
      }
    }
  }
  Shutdown();
  if (result_.stopped) DeliverFinishedAfterStop();
  return status;
}

}  // namespace

Status RunFindOnWorkers(FindHost& host, const FindRunOptions& options, int workers,
                        const std::string& root, FolderListing listing, FindRunResult& result) {
  Pipeline pipeline(host, options, workers, result);
  return pipeline.Run(root, std::move(listing));
}

}  // namespace quonder
