#include "dialog_layer_support.h"

#include <QApplication>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>

namespace quonder {

void WhenBoxShows(std::function<void(QMessageBox*)> act) {
  auto* poll = new QTimer(qApp);
  poll->setInterval(10);
  QObject::connect(poll, &QTimer::timeout, [poll, act = std::move(act)] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) return;
    poll->stop();
    poll->deleteLater();
    act(box);
  });
  poll->start();
}

FakeDialogLayer::FakeDialogLayer() : previous_(SetDialogLayer(this)) {}

FakeDialogLayer::~FakeDialogLayer() { SetDialogLayer(previous_); }

std::optional<QString> FakeDialogLayer::Run(const FileDialogRequest& request) {
  requests.push_back(request);
  if (answers.empty() || !answers.front()) {
    if (!answers.empty()) answers.pop_front();
    return std::nullopt;
  }
  QString answer = *answers.front();
  answers.pop_front();
  return answer;
}

MessageRecorder::MessageRecorder(int answer) : answer(answer) {
  SetMessageBoxHandler([this](const MessageRequest& request) {
    messages.push_back(request);
    return this->answer;
  });
}

MessageRecorder::~MessageRecorder() { SetMessageBoxHandler(nullptr); }

QStringList MessageRecorder::Prompts() const {
  QStringList prompts;
  for (const MessageRequest& message : messages) prompts.append(message.prompt);
  return prompts;
}

}  // namespace quonder
