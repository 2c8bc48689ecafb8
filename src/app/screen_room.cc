#include "app/screen_room.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QWidget>

#include <algorithm>

namespace quonder {

QRect AvailableGeometry(const QWidget& window) {
  const QScreen* screen = window.screen();
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

QSize FrameExtra(const QWidget& window) {
  const QSize measured = window.frameGeometry().size() - window.size();
  if (window.isVisible() && !measured.isEmpty()) return measured;
  const int line = window.fontMetrics().height();
  return QSize(line / 2, 3 * line);
}

QSize ClientRoom(const QWidget& window) {
  return (AvailableGeometry(window).size() - FrameExtra(window)).expandedTo(QSize(1, 1));
}

void KeepInsideScreen(QWidget& window) {
  const QSize size = window.size().boundedTo(ClientRoom(window));
  if (size != window.size()) window.resize(size);
  const QRect room = AvailableGeometry(window);
  const QRect frame(window.frameGeometry().topLeft(), size + FrameExtra(window));
  QPoint place = frame.topLeft();
  place.setX(std::max(room.left(), std::min(place.x(), room.right() + 1 - frame.width())));
  place.setY(std::max(room.top(), std::min(place.y(), room.bottom() + 1 - frame.height())));
  if (place != frame.topLeft()) window.move(place);
}

QScrollArea* MakeFormArea(QWidget* parent, const QString& name) {
  auto* area = new QScrollArea(parent);
  area->setObjectName(name);
  area->setFrameShape(QFrame::NoFrame);
  area->setFocusPolicy(Qt::NoFocus);
  area->setWidgetResizable(false);
  area->viewport()->setAutoFillBackground(false);
  auto* form = new QWidget;
  form->setObjectName(QStringLiteral("form"));
  area->setWidget(form);
  form->setAutoFillBackground(false);  // setWidget fills it; the window's background shows
  // Tab and Shift+Tab between windows' parts reach controls that are scrolled away.
  QObject::connect(qApp, &QApplication::focusChanged, area, [area](QWidget*, QWidget* now) {
    if (now != nullptr && area->widget() != nullptr && area->widget()->isAncestorOf(now)) {
      area->ensureWidgetVisible(now, 0, 0);
    }
  });
  return area;
}

}  // namespace quonder
