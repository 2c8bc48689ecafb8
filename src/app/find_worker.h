// Runs a find run (core/find_run.h) on a worker thread (app/worker_thread.h) so that the window
// never freezes, and hands its rows and status texts to the window thread in batches.
//
// Threads. FindWorker itself lives on, and is called from, the window's thread; every signal is
// emitted on that thread, so receivers may touch widgets directly. The run's thread only sees
// the FindHost side: it reads the conditions snapshot and the stop flag and leaves rows in a
// buffer guarded by `mutex_` (status texts in the worker thread's). Every kDeliveryIntervalMs
// the window thread empties both, so rows appear at most that long after they were found
// however slowly the run calls back.
//
// Conditions. The run asks for its conditions at each point of use; Conditions() returns the
// latest snapshot given to Start or PublishConditions. The window publishes a new snapshot
// whenever a control changes, so a change made during the run applies from the next use on.
//
// Lifetime. Destroying the worker (or Shutdown) while a run is going requests a stop and waits
// for the run's thread to end; nothing is emitted after that.
#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

#include "app/worker_thread.h"
#include "core/search/find_conditions.h"
#include "core/search/find_host.h"
#include "core/search/find_run.h"
#include "core/search/result_rows.h"
#include "core/status.h"

namespace quonder {

class FindWorker : public QObject {
  Q_OBJECT

 public:
  static constexpr int kDeliveryIntervalMs = WorkerThread::kDeliveryIntervalMs;

  explicit FindWorker(QObject* parent = nullptr);
  ~FindWorker() override;  // Shutdown()

  // Starts a run with `conditions` as its first snapshot and a cleared stop flag. Returns false
  // (and does nothing) while a run is going or when `conditions` is null.
  bool Start(std::shared_ptr<const FindConditions> conditions, FindRunOptions options = {});

  // Replaces the snapshot that the run reads from now on. Ignored when null. Any time.
  void PublishConditions(std::shared_ptr<const FindConditions> conditions);

  // Asks the run to end at its next stop point; returns at once. The stop flag stays set until
  // the next Start. finished() follows when the run has ended.
  void Stop();

  // Stops the run and waits for its thread to end; pending rows and texts are dropped and
  // finished() is not emitted. Idempotent.
  void Shutdown();

  // True from Start until the run's end is handled on the window thread: already false while
  // the last rowsReady and finished() are emitted.
  bool Running() const { return thread_.Running(); }

  // For tests that must act while a run is surely going: `probe` is called on the run's thread
  // each time the run reads its conditions, before the read, and may block there; `release`,
  // called when the worker shuts down, must make it return. Set them only while no run is going.
  void SetConditionsProbe(std::function<void()> probe, std::function<void()> release = {}) {
    thread_.SetProbe(std::move(probe), std::move(release));
  }

 signals:
  // Rows found since the last batch, in run order; emitted at most every
  // kDeliveryIntervalMs while rows come, and once more before finished(). `batch` is valid
  // only during the emission (copy it to keep it).
  void rowsReady(const quonder::ResultRows& batch);
  // The newest text of a status panel (1 to 5, see StatusPanel), sent when it changed since
  // the last delivery; intermediate texts of a fast run are skipped.
  void statusText(int panel, const QString& text);
  // The run has ended and its thread is joined; every row has been delivered before. `status`
  // is ok, or names why the run could not go on (missing folder, invalid pattern, unknown
  // charset). Running() is already false, so a receiver may Start again.
  void finished(const quonder::Status& status, const quonder::FindRunResult& result);

 private:
  class Host;

  void DeliverRows();  // window thread: empties the row buffer into rowsReady

  WorkerThread thread_{QStringLiteral("find run")};
  std::unique_ptr<Host> host_;
  mutable std::mutex mutex_;
  std::shared_ptr<const FindConditions> conditions_;  // guarded by mutex_
  ResultRows pending_rows_;                           // guarded by mutex_
  // Written by the run's thread before it ends, read on the window thread after.
  Status status_;
  FindRunResult result_;
};

}  // namespace quonder

Q_DECLARE_METATYPE(quonder::ResultRows)
Q_DECLARE_METATYPE(quonder::Status)
Q_DECLARE_METATYPE(quonder::FindRunResult)
