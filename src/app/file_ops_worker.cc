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
  std::optional<QString> texts[6];                      // guarded by mutex; index = panel
};

// The command's side. Every method runs on the command's thread.
class FileOpsWorker::Host : public FileOpsHost {
 public:
  explicit Host(FileOpsWorker& worker) : worker_(worker) {}

  void Begin(std::shared_ptr<Channel> channel, quint64 generation) {
    channel_ = std::move(channel);
    generation_ = generation;
  }

  std::shared_ptr<const FileOpsConditions> Conditions() override {
    std::lock_guard<std::mutex> lock(channel_->mutex);
    return channel_->conditions;
  }

  bool StopRequested() override { return worker_.stop_.load(std::memory_order_relaxed); }
  void ClearStopRequest() override { worker_.stop_.store(false); }

  void SetStatusText(StatusPanel panel, std::u16string text) override {
    const int index = static_cast<int>(panel);
    if (index < 1 || index > 5) return;
    QString qtext = ToQString(text);
    std::lock_guard<std::mutex> lock(channel_->mutex);
    channel_->texts[index] = std::move(qtext);
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
  // Queues `call` on the window thread; dropped when the command has been shut down by then.
  void Post(std::function<void()> call) {
    FileOpsWorker* worker = &worker_;
    const quint64 generation = generation_;
    QMetaObject::invokeMethod(
        worker,
        [worker, generation, call = std::move(call)] {
          if (generation == worker->generation_) call();
        },
        Qt::QueuedConnection);
  }

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
    FileOpsWorker* worker = &worker_;
    const quint64 generation = generation_;
    QMetaObject::invokeMethod(
        worker,
        [worker, generation, channel, request, call = std::move(call)] {
          {
            std::lock_guard<std::mutex> lock(channel->mutex);
            if (request->abandoned || generation != worker->generation_) return;
          }
          // Texts set before the question show with it.
          worker->Deliver();
          call();
          std::lock_guard<std::mutex> lock(channel->mutex);
          request->done = true;
          channel->answered.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock<std::mutex> lock(channel->mutex);
    channel->answered.wait(lock, [&] { return request->done || channel->shutting_down; });
    if (!request->done) request->abandoned = true;
  }

  FileOpsWorker& worker_;
  std::shared_ptr<Channel> channel_;
  quint64 generation_ = 0;
};

FileOpsWorker::FileOpsWorker(WindowCalls calls, QObject* parent)
    : QObject(parent), calls_(std::move(calls)), host_(std::make_unique<Host>(*this)) {
  delivery_timer_.setInterval(kDeliveryIntervalMs);
  connect(&delivery_timer_, &QTimer::timeout, this, &FileOpsWorker::Deliver);
}

FileOpsWorker::~FileOpsWorker() { Shutdown(); }

bool FileOpsWorker::Start(std::shared_ptr<const FileOpsConditions> conditions, Job job) {
  if (thread_ != nullptr || conditions == nullptr || !job) return false;
  channel_ = std::make_shared<Channel>();
  channel_->conditions = std::move(conditions);
  const quint64 generation = ++generation_;
  host_->Begin(channel_, generation);
  thread_ = QThread::create([this, generation, job = std::move(job)] {
    job(*host_);
    // Queued after every window call the command made, so it is handled after them.
    QMetaObject::invokeMethod(
        this, [this, generation] { OnJobEnded(generation); }, Qt::QueuedConnection);
  });
  thread_->setObjectName(QStringLiteral("file command"));
  delivery_timer_.start();
  thread_->start();
  return true;
}

void FileOpsWorker::PublishConditions(std::shared_ptr<const FileOpsConditions> conditions) {
  if (conditions == nullptr || channel_ == nullptr) return;
  std::lock_guard<std::mutex> lock(channel_->mutex);
  channel_->conditions = std::move(conditions);
}

void FileOpsWorker::Shutdown() {
  if (thread_ == nullptr) return;
  stop_.store(true);
  {
    std::lock_guard<std::mutex> lock(channel_->mutex);
    channel_->shutting_down = true;
    channel_->answered.notify_all();
  }
  thread_->wait();
  delete thread_;
  thread_ = nullptr;
  ++generation_;
  delivery_timer_.stop();
}

void FileOpsWorker::Deliver() {
  if (channel_ == nullptr) return;
  std::optional<QString> texts[6];
  {
    std::lock_guard<std::mutex> lock(channel_->mutex);
    for (int i = 0; i < 6; ++i) texts[i] = std::exchange(channel_->texts[i], std::nullopt);
  }
  for (int panel = 1; panel <= 5; ++panel) {
    if (texts[panel]) emit statusText(panel, *texts[panel]);
  }
}

void FileOpsWorker::OnJobEnded(quint64 generation) {
  if (generation != generation_ || thread_ == nullptr) return;
  thread_->wait();  // the command has returned; this only waits for the thread to wind down
  delete thread_;
  thread_ = nullptr;
  delivery_timer_.stop();
  Deliver();
  emit finished();
}

}  // namespace quonder
