#include "app/message_box.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QSpacerItem>
#include <QTextDocument>
#include <QTextEdit>
#include <QWidget>

#include <algorithm>
#include <climits>
#include <cmath>
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

// Qt sizes a box for its label up to the screen's width, frame left out, and a label cannot
// break a word (a long path without a blank in it, say). A prompt that the box cannot show whole
// inside ClientRoom is shown in a read-only text instead, which breaks such a word where it must
// and scrolls what the screen has no room for.
class FittingMessageBox : public QMessageBox {
 public:
  using QMessageBox::QMessageBox;

 protected:
  void showEvent(QShowEvent* event) override {
    QMessageBox::showEvent(event);  // sizes the box for its label
    if (text_view_ == nullptr && !LabelFits()) ShowTextView();
  }
  // Once the text is shown, the box keeps the size made for it: QMessageBox would size it again
  // at each layout request, no wider than a share of the screen that it picks for its label.
  bool event(QEvent* event) override {
    if (text_view_ != nullptr && event->type() == QEvent::LayoutRequest) {
      return QDialog::event(event);
    }
    return QMessageBox::event(event);
  }

 private:
  QLabel* Label() const { return findChild<QLabel*>(QStringLiteral("qt_msgbox_label")); }

  bool LabelFits() {
    const QSize room = ClientRoom(*this);
    if (width() > room.width() || height() > room.height()) return false;
    const QLabel* label = Label();
    if (label == nullptr || layout() == nullptr) return true;
    layout()->setGeometry(rect());
    const QRect area = label->contentsRect();
    const int wrap = label->wordWrap() ? Qt::TextWordWrap : 0;
    const QRect needed = label->fontMetrics().boundingRect(QRect(0, 0, area.width(), INT_MAX / 2),
                                                           wrap | Qt::AlignLeft, label->text());
    return needed.width() <= area.width() && needed.height() <= area.height();
  }

  void ShowTextView() {
    auto* grid = qobject_cast<QGridLayout*>(layout());
    QLabel* label = Label();
    if (grid == nullptr || label == nullptr) return;
    text_view_ = new QTextEdit(this);
    text_view_->setObjectName(QStringLiteral("txtMessage"));
    text_view_->setReadOnly(true);
    text_view_->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    text_view_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    text_view_->setPlainText(label->text());
    delete grid->replaceWidget(label, text_view_);
    label->hide();
    text_view_->show();

    // What the box adds around the text, measured with the text as large as the room (wider
    // than the title's strut, which is never wider than the room).
    const QSize room = ClientRoom(*this);
    text_view_->setMinimumSize(room);
    grid->invalidate();
    const QSize around = grid->totalMinimumSize() - room;
    const int frame = 2 * text_view_->frameWidth();
    const int width = std::max(1, room.width() - around.width());
    QTextDocument* document = text_view_->document();
    document->setTextWidth(width - frame);
    const int height = std::clamp(static_cast<int>(std::ceil(document->size().height())) + frame, 1,
                                  std::max(1, room.height() - around.height()));
    text_view_->setMinimumSize(width, height);
    grid->invalidate();
    // The box stays centred where it was put, as far as the screen lets it.
    const QPoint centre = geometry().center();
    setFixedSize(grid->totalMinimumSize());
    move(centre - QPoint(this->width() / 2, this->height() / 2));
    KeepInsideScreen(*this);
    // Shown before it had its size, the text scrolled to keep its cursor in view; it starts
    // at the top.
    text_view_->verticalScrollBar()->setValue(0);
    if (QPushButton* button = defaultButton()) button->setFocus();
  }

  QTextEdit* text_view_ = nullptr;
};

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
  FittingMessageBox box(IconFor(style), title, text, QMessageBox::NoButton, owner);
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
