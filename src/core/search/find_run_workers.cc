#include "core/search/find_run_workers.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include <sched.h>
#include <unistd.h>

#include "core/search/file_search.h"
#include "core/search/find_run_file.h"
#include "core/search/find_run_job_pool.h"
#include "core/search/find_run_rows.h"

namespace quonder {
namespace {

// How long the calling thread waits for a result before it asks the host about a stop again.
constexpr std::chrono::milliseconds kStopPoll(2);
// Files handed out but not yet passed to the host, per worker: room for the other workers to
// go on while one searches a large file that holds up the ones behind it (a file of a few
// hundred bytes each). What their rows take is bounded by kHeldBytes.
constexpr size_t kWindowPerWorker = 16384;
// Files handed out but not yet started, per worker: enough to keep the workers busy while the
// calling thread passes rows on or lists a large folder (with 512, workers of a run over
// 17,000 small files waited 7 ms in all for files; with 2048, 3 ms, at the start only), few
// enough that a condition changed during the run (read as a file is listed) reaches the files
// soon after.
constexpr size_t kQueuedPerWorker = 2048;
// The rows that files searched ahead may hold while they wait for the host. Beyond it no more
// files are handed out, and a worker whose file is not the next to be handed over waits.
constexpr size_t kHeldBytes = size_t{16} << 20;
// Rows pass from a worker to the calling thread in chunks of about this size (a fraction of the
// limit above, so that small limits still let rows flow), at most kReadyChunks at a time for
// the file whose rows the host takes now.
constexpr size_t kMaxChunkBytes = size_t{256} << 10;
constexpr size_t kMinChunkBytes = size_t{4} << 10;
constexpr size_t kReadyChunks = 2;
// Finished files passed to the host between two looks at the stop request and the walk, so
// that the rows piled up behind a large file do not leave the workers without files.
constexpr size_t kDeliverAtATime = 256;
// Files handed to the workers at a time.
constexpr size_t kBatch = 32;
// Files a worker takes from the queue at most at a time.
constexpr size_t kMaxTaken = 8;
// Below this many files queued while the walk goes on, a worker gives up its core once per take
// (see Work).
constexpr size_t kShortQueue = 256;

// ThreadSanitizer keeps one table of descriptors for the whole process: the same number open in
// two tables would look to it like a race on one descriptor.
#if defined(__SANITIZE_THREAD__)
constexpr bool kOwnDescriptorTable = false;
#else
constexpr bool kOwnDescriptorTable = true;
#endif

class Workers {
 public:
  Workers(FindHost& host, const FindRunOptions& options, int workers, FolderWalk& walk,
          FindRunResult& result)
      : host_(host),
        walk_(walk),
        byte_shortcuts_(options.byte_shortcuts),
        window_bytes_(options.window_bytes),
        workers_(workers),
        window_(options.ahead_files > 0 ? options.ahead_files
                                        : kWindowPerWorker * static_cast<size_t>(workers)),
        held_limit_(options.ahead_bytes > 0 ? options.ahead_bytes : kHeldBytes),
        chunk_bytes_(std::clamp(held_limit_ / 8, kMinChunkBytes, kMaxChunkBytes)),
        queue_target_(std::min(window_, kQueuedPerWorker * static_cast<size_t>(workers))),
        result_(result) {}
  ~Workers() { Shutdown(); }
  Workers(const Workers&) = delete;
  Workers& operator=(const Workers&) = delete;

  Status Run();

  // A worker's file reached the chunk size before its end: `rows` go to the calling thread,
  // and the worker waits while its rows would exceed what may wait for the host.
  void PassOn(FileJob& job, RowChunk& rows);

 private:
  enum class Delivery { kNothing, kPart, kFinished, kEnded };

  bool StartWorkers();
  void Shutdown();
  void Work();
  void SearchJob(FileJob& job, std::string& full_path, FileSearcher& searcher,
                 ListedConditions& reading, RowCollector& collector);

  // The budget of rows held for the host, in bytes (any thread).
  void Hold(size_t bytes);
  void Release(size_t bytes);
  // Worker: waits until `ready` holds (checked under flow_mutex_) or the run stops.
  template <typename Predicate>
  void WaitFor(Predicate ready);
  // Calling thread: wakes the workers that wait for room, after held_ or a head changed.
  void WakeWaiters();
  // Worker: wakes the calling thread to pass rows on.
  void WakeCaller();

  // No more files may be handed out until the host has taken some.
  bool Full() const { return in_flight_.size() >= window_ || held_.load() >= held_limit_; }
  // Walks on and hands files out; true when the queue holds as many as it should.
  bool HandOut(bool& walk_over);
  void Append(JobPool::Job job);
  Delivery DeliverHead(Status& status);
  void DeliverFinishedAfterStop();

  FindHost& host_;
  FolderWalk& walk_;
  const bool byte_shortcuts_;
  const size_t window_bytes_;
  const int workers_;
  const size_t window_;        // files in flight at most
  const size_t held_limit_;    // see kHeldBytes
  const size_t chunk_bytes_;   // see kMaxChunkBytes
  const size_t queue_target_;  // see kQueuedPerWorker
  FindRunResult& result_;

  // Calling thread only.
  JobPool jobs_;
  std::deque<JobPool::Job> in_flight_;  // walk order, not yet finished
  std::vector<std::thread> threads_;
  bool walk_stopped_ = false;

  std::atomic<bool> stop_{false};
  std::atomic<size_t> held_{0};  // bytes of rows passed on or finished, not yet handed over
  std::atomic<size_t> peak_held_{0};

  // The queue of files to search.
  std::mutex mutex_;
  std::condition_variable work_ready_;
  std::condition_variable result_ready_;
  // Guarded by mutex_.
  std::deque<FileJob*> queue_;  // handed out, not yet started
  bool wake_asked_ = false;     // a worker woke the calling thread
  bool walk_over_ = false;      // every file was handed out
  bool closing_ = false;

  // Rows on their way before a file's end, and the workers that wait for room. A waiting worker
  // counts itself in waiting_ before it tests its condition; the calling thread changes held_
  // or a head flag before it reads waiting_ (all sequentially consistent), so one of the two
  // always sees the other and no wake-up is lost.
  std::mutex flow_mutex_;
  std::condition_variable room_;
  std::atomic<int> waiting_{0};
};

// A worker's rows: kept in the file's job, passed on in chunks while the file is searched.
class JobOutlet : public RowOutlet {
 public:
  JobOutlet(Workers& workers, size_t chunk_bytes) : workers_(workers), chunk_bytes_(chunk_bytes) {}
  void Start(FileJob& job) { job_ = &job; }
  void Loaded() override { job_->loaded = true; }
  void Row(int64_t line, int64_t column, int64_t pointer, std::u16string_view found_cell) override {
    job_->rows.Add(line, column, pointer, found_cell);
    if (job_->rows.Bytes() >= chunk_bytes_) workers_.PassOn(*job_, job_->rows);
  }

 private:
  Workers& workers_;
  const size_t chunk_bytes_;
  FileJob* job_ = nullptr;
};

bool Workers::StartWorkers() {
  for (int i = 0; i < workers_; ++i) {
    try {
      threads_.emplace_back([this] { Work(); });
    } catch (const std::system_error&) {
      break;  // fewer workers than asked still give every row
    }
  }
  return !threads_.empty();
}

void Workers::Shutdown() {
  stop_.store(true);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    closing_ = true;
    queue_.clear();
  }
  work_ready_.notify_all();
  { std::lock_guard<std::mutex> lock(flow_mutex_); }
  room_.notify_all();
  for (std::thread& thread : threads_) thread.join();
  threads_.clear();
}

void Workers::Hold(size_t bytes) {
  if (bytes == 0) return;
  const size_t now = held_.fetch_add(bytes) + bytes;
  size_t peak = peak_held_.load(std::memory_order_relaxed);
  while (now > peak && !peak_held_.compare_exchange_weak(peak, now, std::memory_order_relaxed)) {
  }
}

void Workers::Release(size_t bytes) {
  if (bytes > 0) held_.fetch_sub(bytes);
}

template <typename Predicate>
void Workers::WaitFor(Predicate ready) {
  std::unique_lock<std::mutex> lock(flow_mutex_);
  waiting_.fetch_add(1);
  room_.wait(lock, [&] { return stop_.load() || ready(); });
  waiting_.fetch_sub(1);
}

void Workers::WakeWaiters() {
  if (waiting_.load() == 0) return;
  { std::lock_guard<std::mutex> lock(flow_mutex_); }
  room_.notify_all();
}

void Workers::WakeCaller() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    wake_asked_ = true;
  }
  result_ready_.notify_one();
}

void Workers::PassOn(FileJob& job, RowChunk& rows) {
  const size_t bytes = rows.Bytes();
  Hold(bytes);
  bool head = false;
  {
    std::lock_guard<std::mutex> lock(flow_mutex_);
    job.ready.emplace_back(std::move(rows), bytes);
    job.has_ready.store(true);
    head = job.head.load();
  }
  rows = RowChunk();
  if (head) WakeCaller();
  // The file whose rows the host takes now goes on while the calling thread keeps up with it;
  // any other waits while the rows held for the host are over the limit.
  WaitFor([&] {
    return job.head.load() ? job.ready.size() < kReadyChunks : held_.load() <= held_limit_;
  });
}

void Workers::Work() {
  // Every file a worker searches costs an open and a close: with one descriptor table for the
  // whole process, the workers' opens and closes contend for its lock and bitmap, and every
  // read counts references on the open file. A table of its own spares the worker both. It
  // keeps none of the process's descriptors but the standard three (a failure only leaves the
  // shared table in use), so that no file another thread opened, and no lock held through one,
  // stays open longer because a worker holds a copy.
  if (kOwnDescriptorTable) close_range(3, ~0U, CLOSE_RANGE_UNSHARE);
  FileSearcher searcher(byte_shortcuts_, window_bytes_);
  ListedConditions reading(stop_);
  JobOutlet outlet(*this, chunk_bytes_);
  RowCollector collector(outlet);
  std::string full_path;
  // The calling thread is woken when the queue is half empty, to pass on what is finished and
  // refill it, and, once every file was handed out, by a worker that finds none left (the last
  // of them has just finished the run's last file); otherwise finished files wait for its next
  // look (every kStopPoll at most), so that small files do not cost a wake-up each. The wake-up
  // goes out before the worker waits for files: sent after that wait, it would come only once
  // there were files again, and at the run's end never.
  // A worker takes a few files at a time while many wait, so that the lock is not taken for
  // every small file; never so many that the other workers run dry.
  const size_t low_water = queue_target_ / 2;
  const size_t share = 4 * static_cast<size_t>(workers_);
  std::vector<FileJob*> taken;
  while (true) {
    taken.clear();
    bool short_queue = false;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      const bool wanted = walk_over_ ? queue_.empty() : queue_.size() <= low_water;
      if (!wake_asked_ && wanted) {
        wake_asked_ = true;
        result_ready_.notify_one();
      }
      work_ready_.wait(lock, [this] { return closing_ || !queue_.empty(); });
      if (closing_) return;
      const size_t count = std::clamp<size_t>(queue_.size() / share, 1, kMaxTaken);
      taken.assign(queue_.begin(), queue_.begin() + static_cast<std::ptrdiff_t>(count));
      queue_.erase(queue_.begin(), queue_.begin() + static_cast<std::ptrdiff_t>(count));
      short_queue = !walk_over_ && queue_.size() < kShortQueue;
    }
    // The calling thread walks on one of the workers' cores. While few files wait (the run's
    // first milliseconds, a large folder being listed), a worker that keeps its core can leave
    // the walk waiting a whole scheduler tick behind it, and the workers run dry; giving the
    // core up once per take lets the walk go on (with nothing else to run it costs a syscall).
    if (short_queue) sched_yield();
    for (FileJob* job : taken) {
      outlet.Start(*job);
      SearchJob(*job, full_path, searcher, reading, collector);
      const size_t bytes = job->rows.Bytes();
      if (bytes > 0) {
        job->counted = bytes;
        Hold(bytes);
      }
      job->done.store(true, std::memory_order_release);
    }
  }
}

void Workers::SearchJob(FileJob& job, std::string& full_path, FileSearcher& searcher,
                        ListedConditions& reading, RowCollector& collector) {
  // A file that is not the next to be handed over starts only while there is room for rows.
  if (held_.load() > held_limit_ && !job.head.load()) {
    WaitFor([&] { return job.head.load() || held_.load() <= held_limit_; });
  }
  if (stop_.load(std::memory_order_relaxed)) {
    job.skipped = true;
    return;
  }
  reading.Use(job.walked.conditions);
  SearchFile(job, walk_.root_prefix(), full_path, searcher, reading, collector);
}

void Workers::Append(JobPool::Job job) {
  if (in_flight_.empty()) job->head.store(true);
  in_flight_.push_back(std::move(job));
}

bool Workers::HandOut(bool& walk_over) {
  size_t queued = 0;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    queued = queue_.size();
  }
  std::vector<FileJob*> batch;
  WalkItem item;
  while (!Full() && queued + batch.size() < queue_target_) {
    const FolderWalk::Step step = walk_.Next(item);
    if (step == FolderWalk::Step::kStopped) walk_stopped_ = true;
    if (step == FolderWalk::Step::kOver) walk_over = true;
    if (step != FolderWalk::Step::kItem) break;
    JobPool::Job job = jobs_.Make(std::move(item));
    if (job->walked.kind == WalkItem::Kind::kProblem) {
      job->done.store(true);  // nothing to search: it waits for its turn with the host
      Append(std::move(job));
      continue;
    }
    batch.push_back(job.get());
    Append(std::move(job));
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

// Hands the host what the file at the head of the order has for it: the rows it passed on so
// far, or (once it is done) all of it, finished. Its worker stops touching a chunk once it is
// in `ready` and the whole job once `done` is set.
Workers::Delivery Workers::DeliverHead(Status& status) {
  FileJob& job = *in_flight_.front();
  const bool done = job.done.load(std::memory_order_acquire);
  if (!done && !job.has_ready.load()) return Delivery::kNothing;
  std::vector<std::pair<RowChunk, size_t>> chunks;
  if (done) {
    chunks.swap(job.ready);
  } else {
    std::lock_guard<std::mutex> lock(flow_mutex_);
    chunks.swap(job.ready);
    job.has_ready.store(false);
  }
  const std::string& path = job.walked.relative_path;
  if (job.loaded && !job.loaded_reported) {
    job.loaded_reported = true;
    ReportFileLoaded(host_, path, result_);
  }
  size_t handed = 0;
  for (auto& [rows, bytes] : chunks) {
    rows.HandTo(host_, path, result_);
    handed += bytes;
  }
  if (!done) {
    Release(handed);
    return Delivery::kPart;
  }
  job.rows.HandTo(host_, path, result_);
  Release(handed + job.counted);
  const bool go_on = FinishItem(job, host_, result_, status);
  in_flight_.pop_front();
  if (!in_flight_.empty()) in_flight_.front()->head.store(true);
  return go_on ? Delivery::kFinished : Delivery::kEnded;
}

// After the workers were joined on a stop: the files finished by then, in walk order, up to
// and including the first one the stop cut short.
void Workers::DeliverFinishedAfterStop() {
  Status ignored;
  while (!in_flight_.empty() && in_flight_.front()->done.load(std::memory_order_acquire)) {
    if (DeliverHead(ignored) != Delivery::kFinished) break;
  }
}

Status Workers::Run() {
  if (!StartWorkers()) {
    return Status::Error(Status::Code::kIoError, "Cannot start the find run's workers");
  }
  Status status;
  bool walk_over = false;
  bool ended = false;
  while (!ended) {
    if (host_.StopRequested() || walk_stopped_) {
      result_.stopped = true;
      break;
    }
    const bool queue_full = !walk_over && HandOut(walk_over);
    bool progressed = false;
    for (size_t finished = 0; finished < kDeliverAtATime && !in_flight_.empty(); ++finished) {
      const Delivery delivery = DeliverHead(status);
      if (delivery != Delivery::kNothing) progressed = true;
      if (delivery == Delivery::kEnded) ended = true;
      if (delivery != Delivery::kFinished) break;
    }
    if (progressed) {
      WakeWaiters();
      continue;
    }
    if (in_flight_.empty()) {
      if (walk_over) break;
      continue;
    }
    // Wait only when there is nothing to hand out.
    if (walk_over || queue_full || Full() || walk_stopped_) {
      std::unique_lock<std::mutex> lock(mutex_);
      result_ready_.wait_for(lock, kStopPoll, [this] { return wake_asked_; });
      wake_asked_ = false;
    }
  }
  Shutdown();
  if (result_.stopped) {
    DeliverFinishedAfterStop();
  } else if (!ended) {
    result_.filtered_files = walk_.filtered();
  }
  result_.peak_held_bytes = peak_held_.load();
  return status;
}

}  // namespace

Status RunOnWorkers(FindHost& host, const FindRunOptions& options, int workers, FolderWalk& walk,
                    FindRunResult& result) {
  Workers run(host, options, workers, walk, result);
  return run.Run();
}

}  // namespace quonder
