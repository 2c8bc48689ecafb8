#include "app/worker_thread.h"

#include <utility>

namespace quonder {

WorkerThread::WorkerThread(const QString& name, QObject* parent) : QObject(parent), name_(name) {
  delivery_timer_.setInterval(kDeliveryIntervalMs);
  connect(&delivery_timer_, &QTimer::timeout, this, &WorkerThread::Deliver);
}

WorkerThread::~WorkerThread() { Shutdown(); }

bool WorkerThread::Start(std::function<void()> job, std::function<void()> ended) {
  if (thread_ != nullptr || !job) return false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto& text : texts_) text.reset();
  }
  ended_ = std::move(ended);
  const quint64 generation = ++generation_;
  thread_ = QThread::create([this, generation, job = std::move(job)] {
    job();
    // Queued after every call the job posted, so it is handled after them; dropped by Qt if
    // this object is gone by then, and ignored by OnEnded after a Shutdown.
    QMetaObject::invokeMethod(
        this, [this, generation] { OnEnded(generation); }, Qt::QueuedConnection);
  });
  thread_->setObjectName(name_);
  delivery_timer_.start();
  thread_->start();
  return true;
}

void WorkerThread::Shutdown() {
  if (thread_ == nullptr) return;
  stop_.store(true);
  if (release_) release_();
  thread_->wait();
  delete thread_;
  thread_ = nullptr;
  ++generation_;
  delivery_timer_.stop();
  ended_ = nullptr;
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto& text : texts_) text.reset();
}

void WorkerThread::SetStatusText(int panel, std::u16string text) {
  if (panel < 1 || panel > 5) return;
  std::lock_guard<std::mutex> lock(mutex_);
  texts_[panel] = std::move(text);
}

void WorkerThread::Post(std::function<void()> call) {
  const quint64 generation = generation_;
  QMetaObject::invokeMethod(
      this,
      [this, generation, call = std::move(call)] {
        if (generation == generation_) call();
      },
      Qt::QueuedConnection);
}

void WorkerThread::Deliver() {
  if (before_texts_) before_texts_();
  std::optional<std::u16string> texts[6];
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (int i = 0; i < 6; ++i) texts[i] = std::exchange(texts_[i], std::nullopt);
  }
  for (int panel = 1; panel <= 5; ++panel) {
    if (!texts[panel]) continue;
    const std::u16string& text = *texts[panel];
    // Only the last text of a panel before a delivery becomes a QString.
    emit statusText(panel, QString(reinterpret_cast<const QChar*>(text.data()),
                                   static_cast<qsizetype>(text.size())));
  }
}

void WorkerThread::OnEnded(quint64 generation) {
  if (generation != generation_ || thread_ == nullptr) return;
  thread_->wait();  // the job has returned; this only waits for the thread to wind down
  delete thread_;
  thread_ = nullptr;
  delivery_timer_.stop();
  Deliver();
  if (auto ended = std::exchange(ended_, nullptr)) ended();
}

}  // namespace quonder
