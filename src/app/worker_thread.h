// What every long command of the window shares (the find run, Replace, Restore and the copies):
// one job at a time on a thread of its own, a stop flag the job polls, status texts handed to
// the window every kDeliveryIntervalMs instead of per call, calls the job queues to the window
// thread (dropped once that job has been shut down), and a probe that tests use as a gate.
//
// Threads. A WorkerThread lives on, and is called from, the window's thread, except where a
// method says "any thread" or "job thread". Its signal and the `ended` callback run on the
// window's thread.
//
// Lifetime. Shutdown (and the destructor) requests a stop, releases a probe that holds the job,
// and waits for the thread; nothing the job queued or left pending is delivered afterwards.
#pragma once

#include <QObject>
#include <QString>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

namespace quonder {

class WorkerThread : public QObject {
  Q_OBJECT

 public:
  static constexpr int kDeliveryIntervalMs = 50;

  // `name` names the thread (as debuggers show it).
  explicit WorkerThread(const QString& name, QObject* parent = nullptr);
  ~WorkerThread() override;  // Shutdown()

  // Runs `job` on a new thread. Once it has returned and every call it posted has run, the
  // pending texts are delivered and `ended` is called, unless Shutdown came first. The stop
  // flag is left as it is. False (nothing started) while a job runs.
  bool Start(std::function<void()> job, std::function<void()> ended);

  // Requests a stop, calls the probe's release, waits for the thread; pending texts are
  // dropped and `ended` is not called. Idempotent.
  void Shutdown();

  // True from Start until the job's end is handled (already false when `ended` is called).
  bool Running() const { return thread_ != nullptr; }

  void RequestStop() { stop_.store(true); }                                     // any thread
  void ClearStop() { stop_.store(false); }                                      // any thread
  bool StopRequested() const { return stop_.load(std::memory_order_relaxed); }  // any thread

  // Job thread: keeps `text` as the newest of `panel` (1 to 5) until the next delivery.
  void SetStatusText(int panel, std::u16string text);
  // Job thread: runs `call` on the window thread after what was posted before it; dropped when
  // the job has been shut down by then.
  void Post(std::function<void()> call);
  // Job thread: the job has reached one of its probe points (see SetProbe).
  void Probe() {
    if (probe_) probe_();
  }

  // Window thread: hands what is pending to the window now: first `before_texts` (set by
  // SetBeforeTexts), then the status texts.
  void Deliver();
  // What a delivery hands over before the texts (the find run's rows). Set before any Start.
  void SetBeforeTexts(std::function<void()> deliver) { before_texts_ = std::move(deliver); }

  // For tests that must act while a job is surely going: `probe` is called on the job thread
  // at each probe point and may block there; `release` (called by Shutdown before it waits)
  // must then make it return. Set both only while no job runs.
  void SetProbe(std::function<void()> probe, std::function<void()> release) {
    probe_ = std::move(probe);
    release_ = std::move(release);
  }

 signals:
  // The newest text of a status panel (1 to 5) since the last delivery.
  void statusText(int panel, const QString& text);

 private:
  void OnEnded(quint64 generation);

  const QString name_;
  QTimer delivery_timer_;
  QThread* thread_ = nullptr;  // owned; non-null while a job runs
  // Changed only on the window thread while no job thread runs, so the job may read it.
  quint64 generation_ = 0;
  std::function<void()> ended_;
  std::function<void()> before_texts_;
  std::function<void()> probe_;
  std::function<void()> release_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::optional<std::u16string> texts_[6];  // guarded by mutex_; index = panel
};

}  // namespace quonder
