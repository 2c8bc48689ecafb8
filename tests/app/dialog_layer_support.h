// Stand-ins for the modal parts of the window in widget tests: a dialog layer that answers
// from a queue, and a recorder for ShowMessage (both install themselves for their lifetime);
// and a way to act on a real message box that the code under test is about to run.
#pragma once

#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "app/file_dialog.h"
#include "app/message_box.h"

class QMessageBox;

namespace quonder {

// Runs `act` on the next message box as soon as it shows (the call that shows it does not
// return before the box closes); `act` must close it.
void WhenBoxShows(std::function<void(QMessageBox*)> act);

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
