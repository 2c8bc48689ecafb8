// Stand-ins for the modal parts of the window in widget tests: a dialog layer that answers
// from a queue (installed for its lifetime), a way to act on a real message box that the code
// under test is about to run, and a file manager's drop.
#pragma once

#include <QList>
#include <QString>
#include <QUrl>

#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "app/file_dialog.h"

class QMessageBox;
class QWidget;

namespace quonder {

// Runs `act` on the next message box as soon as it shows (the call that shows it does not
// return before the box closes); `act` must close it.
void WhenBoxShows(std::function<void(QMessageBox*)> act);

// Sends what a file manager's drag and drop sends (`text` alone when there are no urls);
// returns whether the drop was accepted.
bool DropUrls(QWidget* target, const QList<QUrl>& urls, const QString& text = QString());

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

}  // namespace quonder
