#include "dialog_layer_support.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMessageBox>
#include <QMimeData>
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

bool DropUrls(QWidget* target, const QList<QUrl>& urls, const QString& text) {
  QMimeData data;
  if (!urls.isEmpty()) data.setUrls(urls);
  if (!text.isEmpty()) data.setText(text);
  QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(target, &enter);
  if (!enter.isAccepted()) return false;
  QDropEvent drop(QPoint(2, 2), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(target, &drop);
  return drop.isAccepted();
}

}  // namespace quonder
