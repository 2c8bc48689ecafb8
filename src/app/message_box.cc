#include "app/message_box.h"

#include <QApplication>
#include <QGridLayout>
#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>
#include <QSpacerItem>
#include <QWidget>

#include <algorithm>
#include <utility>
#include <vector>

#include "app/screen_room.h"

namespace quonder {
namespace {

MessageBoxHandler& Handler() {
  static MessageBoxHandler handler;
  return handler;
}

struct ButtonChoice {
  QMessageBox::StandardButton button;
  int id;
};

// The buttons of each style value (low four bits), in the order they are shown.
std::vector<ButtonChoice> ButtonsFor(int style) {
  switch (style & 0xF) {
    case kMbOkCancel:
      return {{QMessageBox::Ok, kIdOk}, {QMessageBox::Cancel, kIdCancel}};
    case kMbAbortRetryIgnore:
      return {{QMessageBox::Abort, kIdAbort},
              {QMessageBox::Retry, kIdRetry},
              {QMessageBox::Ignore, kIdIgnore}};
    case kMbYesNoCancel:
      return {
          {QMessageBox::Yes, kIdYes}, {QMessageBox::No, kIdNo}, {QMessageBox::Cancel, kIdCancel}};
    case kMbYesNo:
      return {{QMessageBox::Yes, kIdYes}, {QMessageBox::No, kIdNo}};
    case kMbRetryCancel:
      return {{QMessageBox::Retry, kIdRetry}, {QMessageBox::Cancel, kIdCancel}};
    default:
      return {{QMessageBox::Ok, kIdOk}};
  }
}

QMessageBox::Icon IconFor(int style) {
  switch (style & 0x70) {
    case kMbIconStop:
      return QMessageBox::Critical;
    case kMbIconQuestion:
      return QMessageBox::Question;
    case kMbIconExclamation:
      return QMessageBox::Warning;
    case kMbIconInformation:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

// The answer when the box is closed without a button: Cancel, else No, else the first button.
int EscapeId(const std::vector<ButtonChoice>& buttons) {
  for (int wanted : {kIdCancel, kIdNo}) {
    for (const ButtonChoice& choice : buttons) {
      if (choice.id == wanted) return wanted;
    }
  }
  return buttons.front().id;
}

// The window the box belongs to: the active one, else a visible main window (a run's message
// can come while another program has the focus, and must still surface).
QWidget* FindOwner() {
  if (QWidget* active = QApplication::activeWindow()) return active;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (qobject_cast<QMainWindow*>(widget) != nullptr && widget->isVisible()) return widget;
  }
  return nullptr;
}

// Window managers draw the title in a bold face beside an icon and three buttons; Qt sizes a
// box by its text alone (and a narrow title allowance), so a short prompt leaves the title cut
// off. The box's layout gets a strut as wide as the title bar needs.
void MakeRoomForTitle(QMessageBox& box) {
  auto* grid = qobject_cast<QGridLayout*>(box.layout());
  if (grid == nullptr) return;
  QFont title_font = box.font();
  title_font.setBold(true);
  const QFontMetrics metrics(title_font);
  // Never wider than the screen leaves room for (a long title shows its start then).
  const QMargins margins = grid->contentsMargins();
  const int width = std::min(metrics.horizontalAdvance(box.windowTitle()) + 8 * metrics.height(),
                             ClientRoom(box).width() - margins.left() - margins.right());
  grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
                grid->rowCount(), 0, 1, grid->columnCount());
}

void RaiseOwner(QWidget* owner) {
  if (owner->isMinimized()) owner->setWindowState(owner->windowState() & ~Qt::WindowMinimized);
  owner->show();
  owner->raise();
  owner->activateWindow();
}

}  // namespace

int ShowMessage(const QString& prompt, const QString& title, int style, int options) {
  QPointer<QWidget> owner = FindOwner();
  if (owner) RaiseOwner(owner);

  if (Handler()) return Handler()(MessageRequest{prompt, title, style, options});

  const std::vector<ButtonChoice> buttons = ButtonsFor(style);
  QString text = prompt;
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  QMessageBox box(IconFor(style), title, text, QMessageBox::NoButton, owner);
  for (const ButtonChoice& choice : buttons) box.addButton(choice.button);
  // The default button is the first unless bits 0x300 pick the second or third.
  const size_t default_index = static_cast<size_t>((style >> 8) & 0x3);
  if (default_index < buttons.size()) box.setDefaultButton(buttons[default_index].button);
  MakeRoomForTitle(box);
  box.exec();

  const QAbstractButton* clicked = box.clickedButton();
  for (const ButtonChoice& choice : buttons) {
    if (clicked != nullptr && clicked == box.button(choice.button)) return choice.id;
  }
  return EscapeId(buttons);
}

void SetMessageBoxHandler(MessageBoxHandler handler) { Handler() = std::move(handler); }

}  // namespace quonder
