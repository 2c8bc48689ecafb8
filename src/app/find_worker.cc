#include "app/find_worker.h"

#include <utility>

namespace quonder {

// The run's side. Every method runs on the run's thread and touches only what FindWorker
// guards for it.
class FindWorker::Host : public FindHost {
 public:
  explicit Host(FindWorker& worker) : worker_(worker) {}

  std::shared_ptr<const FindConditions> Conditions() override {
    worker_.thread_.Probe();
    std::lock_guard<std::mutex> lock(worker_.mutex_);
    return worker_.conditions_;
  }

  bool StopRequested() override { return worker_.thread_.StopRequested(); }

  void AddResultRow(const ResultRow& row) override {
    std::unique_lock<std::mutex> lock(worker_.mutex_);
    worker_.room_.wait(lock, [this] {
      return worker_.pending_rows_.size() < kMaxWaitingRows || worker_.thread_.StopRequested();
    });
    worker_.pending_rows_.Append(row);
  }

  // Called for every row: the text is kept as it comes, and only the last one before a
  // delivery becomes a QString.
  void SetStatusText(StatusPanel panel, std::u16string text) override {
    worker_.thread_.SetStatusText(static_cast<int>(panel), std::move(text));
  }

 private:
  FindWorker& worker_;
};

FindWorker::FindWorker(QObject* parent) : QObject(parent), host_(std::make_unique<Host>(*this)) {
  qRegisterMetaType<quonder::ResultRows>();
  qRegisterMetaType<quonder::Status>();
  qRegisterMetaType<quonder::FindRunResult>();
  // Rows first: panel 4 counts rows, and it should never run ahead of the list.
  thread_.SetBeforeTexts([this] { DeliverRows(); });
  connect(&thread_, &WorkerThread::statusText, this, &FindWorker::statusText);
}

FindWorker::~FindWorker() { Shutdown(); }

bool FindWorker::Start(std::shared_ptr<const FindConditions> conditions, FindRunOptions options) {
  if (Running() || conditions == nullptr) return false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    conditions_ = std::move(conditions);
    pending_rows_.Clear();
  }
  thread_.ClearStop();
  return thread_.Start(
      [this, options] {
        result_ = FindRunResult();
        status_ = RunFind(*host_, options, result_);
      },
      [this] {
        // Copies: a receiver may start the next run, which writes the members anew.
        const Status status = status_;
        const FindRunResult result = result_;
        emit finished(status, result);
      });
}

void FindWorker::PublishConditions(std::shared_ptr<const FindConditions> conditions) {
  if (conditions == nullptr) return;
  std::lock_guard<std::mutex> lock(mutex_);
  conditions_ = std::move(conditions);
}

void FindWorker::WakeRun() {
  { std::lock_guard<std::mutex> lock(mutex_); }
  room_.notify_all();
}

void FindWorker::Stop() {
  thread_.RequestStop();
  WakeRun();
}

void FindWorker::Shutdown() {
  Stop();
  thread_.Shutdown();
  std::lock_guard<std::mutex> lock(mutex_);
  pending_rows_.Clear();
}

void FindWorker::DeliverRows() {
  ResultRows rows;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    std::swap(rows, pending_rows_);
  }
  if (rows.size() == 0) return;
  room_.notify_all();
  emit rowsReady(rows);
}

}  // namespace quonder
