#include "app/find_worker.h"

#include <utility>

namespace quonder {

// The run's side. Every method runs on the run's thread and touches only what FindWorker
// guards for it.
class FindWorker::Host : public FindHost {
 public:
  explicit Host(FindWorker& worker) : worker_(worker) {}

  std::shared_ptr<const FindConditions> Conditions() override {
    if (worker_.conditions_probe_) worker_.conditions_probe_();
    std::lock_guard<std::mutex> lock(worker_.mutex_);
    return worker_.conditions_;
  }

  bool StopRequested() override { return worker_.stop_.load(std::memory_order_relaxed); }

  void AddResultRow(ResultRow row) override {
    std::lock_guard<std::mutex> lock(worker_.mutex_);
    worker_.pending_rows_.Append(row);
  }

  // Called for every row: the text is kept as it comes, and only the last one before a
  // delivery becomes a QString.
  void SetStatusText(StatusPanel panel, std::u16string text) override {
    const int index = static_cast<int>(panel);
    if (index < 1 || index > 5) return;
    std::lock_guard<std::mutex> lock(worker_.mutex_);
    worker_.pending_texts_[index] = std::move(text);
  }

 private:
  FindWorker& worker_;
};

FindWorker::FindWorker(QObject* parent) : QObject(parent), host_(std::make_unique<Host>(*this)) {
  qRegisterMetaType<quonder::ResultRows>();
  qRegisterMetaType<quonder::Status>();
  qRegisterMetaType<quonder::FindRunResult>();
  delivery_timer_.setInterval(kDeliveryIntervalMs);
  connect(&delivery_timer_, &QTimer::timeout, this, &FindWorker::Deliver);
}

FindWorker::~FindWorker() { Shutdown(); }

bool FindWorker::Start(std::shared_ptr<const FindConditions> conditions, FindRunOptions options) {
  if (thread_ != nullptr || conditions == nullptr) return false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    conditions_ = std::move(conditions);
    pending_rows_.Clear();
    for (auto& text : pending_texts_) text.reset();
  }
  stop_.store(false);
  const quint64 generation = ++generation_;
  thread_ = QThread::create([this, generation, options] {
    FindRunResult result;
    Status status = RunFind(*host_, options, result);
    // Back to the window thread; dropped by Qt if this object is gone by then, and ignored by
    // OnRunEnded if Shutdown has already joined the thread.
    QMetaObject::invokeMethod(
        this, [this, generation, status, result] { OnRunEnded(generation, status, result); },
        Qt::QueuedConnection);
  });
  thread_->setObjectName(QStringLiteral("find run"));
  delivery_timer_.start();
  thread_->start();
  return true;
}

void FindWorker::PublishConditions(std::shared_ptr<const FindConditions> conditions) {
  if (conditions == nullptr) return;
  std::lock_guard<std::mutex> lock(mutex_);
  conditions_ = std::move(conditions);
}

void FindWorker::Stop() { stop_.store(true); }

void FindWorker::Shutdown() {
  if (thread_ == nullptr) return;
  stop_.store(true);
  thread_->wait();
  delete thread_;
  thread_ = nullptr;
  ++generation_;
  delivery_timer_.stop();
  std::lock_guard<std::mutex> lock(mutex_);
  pending_rows_.Clear();
  for (auto& text : pending_texts_) text.reset();
}

void FindWorker::Deliver() {
  ResultRows rows;
  std::optional<std::u16string> texts[6];
  {
    std::lock_guard<std::mutex> lock(mutex_);
    std::swap(rows, pending_rows_);
    for (int i = 0; i < 6; ++i) texts[i] = std::exchange(pending_texts_[i], std::nullopt);
  }
  // Rows first: panel 4 counts rows, and it should never run ahead of the list.
  if (rows.size() > 0) emit rowsReady(rows);
  for (int panel = 1; panel <= 5; ++panel) {
    if (!texts[panel]) continue;
    const std::u16string& text = *texts[panel];
    emit statusText(panel, QString(reinterpret_cast<const QChar*>(text.data()),
                                   static_cast<qsizetype>(text.size())));
  }
}

void FindWorker::OnRunEnded(quint64 generation, Status status, FindRunResult result) {
  if (generation != generation_ || thread_ == nullptr) return;
  thread_->wait();  // the run has returned; this only waits for the thread to wind down
  delete thread_;
  thread_ = nullptr;
  delivery_timer_.stop();
  Deliver();
  emit finished(status, result);
}

}  // namespace quonder
