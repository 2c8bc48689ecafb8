#include "dialog_layer_support.h"

#include <QStringList>

namespace quonder {

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
