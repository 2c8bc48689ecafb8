// Runs one file command (replace, restore, copy; core/fileops/replace_run.h, backup.h,
// copy_files.h) on a worker thread (app/worker_thread.h), so that the window keeps painting and
// the Stop button stays usable while files are copied and rewritten.
//
// Threads. FileOpsWorker lives on, and is called from, the window's thread; its signals and
// every WindowCalls function run there too. The command's thread sees only the FileOpsHost
// side: the conditions snapshot (guarded by a mutex), the stop flag and the status texts that
// the worker thread hands to the window every kDeliveryIntervalMs. What must happen on the
// window (busy pointer, button states, focus, settings writes) is queued there in the order
// the command asks for it. ShowMessage and AddReplaceHistory wait on the command's thread until
// the window thread has carried them out.
//
// Lifetime. Shutdown (and the destructor) stops the command and waits for its thread. A
// question still waiting for the window is then answered Cancel on the command's thread, and
// is never shown.
#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <string>

#include "app/worker_thread.h"
#include "core/fileops/file_ops_host.h"

namespace quonder {

class FileOpsWorker : public QObject {
  Q_OBJECT

 public:
  static constexpr int kDeliveryIntervalMs = WorkerThread::kDeliveryIntervalMs;

  // The window's part of a command. Each runs on the window's thread; all must be set.
  struct WindowCalls {
    std::function<int(const QString& prompt, const QString& title, int style)> show_message;
    std::function<void(bool busy)> set_busy;
    std::function<void(FileOpsCommand command, bool enabled)> set_command_enabled;
    std::function<void()> focus_result_list;
    std::function<void(const std::string& key, const std::string& value)> write_setting;
    // Updates the replace history and returns the conditions as the window holds them then.
    std::function<std::shared_ptr<const FileOpsConditions>()> add_replace_history;
  };

  // The command: runs on the command's thread with the host it is given.
  using Job = std::function<void(FileOpsHost& host)>;

  explicit FileOpsWorker(WindowCalls calls, QObject* parent = nullptr);
  ~FileOpsWorker() override;  // Shutdown()

  // Starts `job` with `conditions` as its first snapshot. The stop flag is left as it is: the
  // commands clear it themselves at their start. Returns false (and does nothing) while a
  // command runs or when `conditions` is null.
  bool Start(std::shared_ptr<const FileOpsConditions> conditions, Job job);

  // Replaces the snapshot that the command reads from now on. Ignored when null. Any time.
  void PublishConditions(std::shared_ptr<const FileOpsConditions> conditions);

  // Asks the command to end at its next stop point; returns at once.
  void Stop() { thread_.RequestStop(); }

  // Stops the command and waits for its thread; pending texts and queued window calls are
  // dropped and finished() is not emitted. Idempotent.
  void Shutdown();

  // True from Start until the command's end is handled on the window thread (already false
  // when finished() is emitted).
  bool Running() const { return thread_.Running(); }

  // For tests that must act while a command is surely going: `probe` is called on the
  // command's thread each time the command reads its conditions, before the read, and may
  // block there; `release`, called when the worker shuts down, must make it return. Set them
  // only while no command runs.
  void SetConditionsProbe(std::function<void()> probe, std::function<void()> release = {}) {
    thread_.SetProbe(std::move(probe), std::move(release));
  }

 signals:
  // The newest text of a status panel (1 to 5) since the last delivery.
  void statusText(int panel, const QString& text);
  // The command has returned, its thread is joined, every queued window call and status text
  // has been handled.
  void finished();

 private:
  class Host;
  struct Channel;

  WindowCalls calls_;
  WorkerThread thread_{QStringLiteral("file command")};
  std::unique_ptr<Host> host_;
  std::shared_ptr<Channel> channel_;  // shared with calls still in the window's queue
};

}  // namespace quonder
