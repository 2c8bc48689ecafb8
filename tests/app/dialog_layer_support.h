// Stand-ins for the modal parts of the window in widget tests: a dialog layer that answers
// from a queue, and a recorder for ShowMessage. Both install themselves for their lifetime.
#pragma once

#include <QString>
#include <QStringList>

#include <deque>
#include <optional>
#include <vector>

#include "app/file_dialog.h"
#include "app/message_box.h"

namespace quonder {

class FakeDialogLayer : public DialogLayer {
 public:
  FakeDialogLayer();
  ~FakeDialogLayer() override;
  FakeDialogLayer(const FakeDialogLayer&) = delete;
  FakeDialogLayer& operator=(const FakeDialogLayer&) = delete;

  // Pops the next answer; an empty queue, like a queued nullopt, is the user pressing Cancel.
  std::optional<QString> Run(const FileDialogRequest& request) override;

  std::deque<std::optional<QString>> answers;
  std::vector<FileDialogRequest> requests;

 private:
  DialogLayer* previous_;
};

class MessageRecorder {
 public:
  explicit MessageRecorder(int answer = kIdOk);
  ~MessageRecorder();
  MessageRecorder(const MessageRecorder&) = delete;
  MessageRecorder& operator=(const MessageRecorder&) = delete;

  // The prompts shown so far, in order.
  QStringList Prompts() const;

  std::vector<MessageRequest> messages;
  int answer;
};

}  // namespace quonder
