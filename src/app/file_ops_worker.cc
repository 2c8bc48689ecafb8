#include "app/file_ops_worker.h"

#include <condition_variable>
#include <mutex>
#include <utility>

namespace quonder {
namespace {

QString ToQString(const std::u16string& text) {
  return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

}  // namespace

// What the command's thread shares with the window thread. Held by shared pointer so that a
// call still in the window's queue finds it alive whatever happened to the worker.
struct FileOpsWorker::Channel {
  std::mutex mutex;
  std::condition_variable answered;
  bool shutting_down = false;                           // guarded by mutex
  std::shared_ptr<const FileOpsConditions> conditions;  // guarded by mutex
};

// The command's side. Every method runs on the command's thread.
class FileOpsWorker::Host : public FileOpsHost {
 public:
  explicit Host(FileOpsWorker& worker) : worker_(worker) {}

  void Begin(std::shared_ptr<Channel> channel) { channel_ = std::move(channel); }

  std::shared_ptr<const FileOpsConditions> Conditions() override {
    worker_.thread_.Probe();
    std::lock_guard<std::mutex> lock(channel_->mutex);
    return channel_->conditions;
  }

  bool StopRequested() override { return worker_.thread_.StopRequested(); }
  void ClearStopRequest() override { worker_.thread_.ClearStop(); }

  void SetStatusText(StatusPanel panel, std::u16string text) override {
    worker_.thread_.SetStatusText(static_cast<int>(panel), std::move(text));
  }

  int ShowMessage(const std::u16string& prompt, const std::u16string& title, int style) override {
    const QString qprompt = ToQString(prompt);
    const QString qtitle = ToQString(title);
    // Cancel when the window goes away before the user answers. Shared: a box already open
    // then still returns into it.
    auto answer = std::make_shared<int>(2);
    WindowCalls* calls = &worker_.calls_;
    Wait([calls, qprompt, qtitle, style, answer] {
      *answer = calls->show_message(qprompt, qtitle, style);
    });
    return *answer;
  }

  void SetBusy(bool busy) override {
    Post([this, busy] { worker_.calls_.set_busy(busy); });
  }
  void SetCommandEnabled(FileOpsCommand command, bool enabled) override {
    Post([this, command, enabled] { worker_.calls_.set_command_enabled(command, enabled); });
  }
  void FocusResultList() override {
    Post([this] { worker_.calls_.focus_result_list(); });
  }
  void WriteSetting(const std::string& key, const std::string& value) override {
    Post([this, key, value] { worker_.calls_.write_setting(key, value); });
  }
  void AddReplaceHistory() override {
    Wait([this] {
      std::shared_ptr<const FileOpsConditions> now = worker_.calls_.add_replace_history();
      if (now == nullptr) return;
      std::lock_guard<std::mutex> lock(channel_->mutex);
      channel_->conditions = std::move(now);
    });
  }

 private:
  void Post(std::function<void()> call) { worker_.thread_.Post(std::move(call)); }

  // Runs `call` on the window thread and waits until it has returned, or until the worker shuts
  // down (then `call` is not run at all, or its effect is no longer waited for).
  void Wait(std::function<void()> call) {
    struct Request {
      bool done = false;
      bool abandoned = false;
    };
    auto request = std::make_shared<Request>();
    std::shared_ptr<Channel> channel = channel_;
    {
      std::lock_guard<std::mutex> lock(channel->mutex);
      if (channel->shutting_down) return;
    }
    WorkerThread* thread = &worker_.thread_;
    Post([thread, channel, request, call = std::move(call)] {
      {
        std::lock_guard<std::mutex> lock(channel->mutex);
        if (request->abandoned) return;
      }
      // Texts set before the question show with it.
      thread->Deliver();
      call();
      std::lock_guard<std::mutex> lock(channel->mutex);
      request->done = true;
      channel->answered.notify_all();
    });
    std::unique_lock<std::mutex> lock(channel->mutex);
    channel->answered.wait(lock, [&] { return request->done || channel->shutting_down; });
    if (!request->done) request->abandoned = true;
  }

  FileOpsWorker& worker_;
  std::shared_ptr<Channel> channel_;
};

FileOpsWorker::FileOpsWorker(WindowCalls calls, QObject* parent)
    : QObject(parent), calls_(std::move(calls)), host_(std::make_unique<Host>(*this)) {
  connect(&thread_, &WorkerThread::statusText, this, &FileOpsWorker::statusText);
}

FileOpsWorker::~FileOpsWorker() { Shutdown(); }

bool FileOpsWorker::Start(std::shared_ptr<const FileOpsConditions> conditions, Job job) {
  if (Running() || conditions == nullptr || !job) return false;
  channel_ = std::make_shared<Channel>();
  channel_->conditions = std::move(conditions);
  host_->Begin(channel_);
  return thread_.Start([this, job = std::move(job)] { job(*host_); }, [this] { emit finished(); });
}

void FileOpsWorker::PublishConditions(std::shared_ptr<const FileOpsConditions> conditions) {
  if (conditions == nullptr || channel_ == nullptr) return;
  std::lock_guard<std::mutex> lock(channel_->mutex);
  channel_->conditions = std::move(conditions);
}

void FileOpsWorker::Shutdown() {
  if (!Running()) return;
  thread_.RequestStop();
  {
    std::lock_guard<std::mutex> lock(channel_->mutex);
    channel_->shutting_down = true;
    channel_->answered.notify_all();
  }
  thread_.Shutdown();
}

}  // namespace quonder
