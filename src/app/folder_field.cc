#include "app/folder_field.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFocusEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

#include <exception>
#include <vector>

#include "app/file_dialog.h"
#include "app/message_box.h"
#include "core/message_titles.h"

namespace quonder {
namespace {

QString FromUtf8(const std::string& text) { return QString::fromStdString(text); }

std::vector<std::string> LocalPaths(const QMimeData& data) {
  std::vector<std::string> paths;
  if (!data.hasUrls()) return paths;
  for (const QUrl& url : data.urls()) {
    if (url.isLocalFile()) paths.push_back(url.toLocalFile().toStdString());
  }
  return paths;
}

// Moves of the focus that a user makes inside the window. Switching to another window, opening
// a menu or a popup, and focus changes made by the program do not check the field.
bool IsUserFocusMove(Qt::FocusReason reason) {
  return reason == Qt::MouseFocusReason || reason == Qt::TabFocusReason ||
         reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason;
}

}  // namespace

FolderField::FolderField(Role role, QLineEdit* box, QAbstractButton* button, Getter get_value,
                         Setter set_value)
    : QObject(box),
      role_(role),
      box_(box),
      button_(button),
      get_value_(std::move(get_value)),
      set_value_(std::move(set_value)) {
  box->setAcceptDrops(true);
  box->installEventFilter(this);
}

bool FolderField::Browse() {
  try {
    std::string value = get_value_();
    const bool taken = BrowseFolderField(*this, value);
    if (taken) set_value_(value);
    return taken;
  } catch (const std::exception& error) {
    // Nothing here is expected to throw; if something does (memory), the command ends with
    // the reason instead of taking the program down.
    QString prompt = QString::fromLocal8Bit(error.what());
    prompt += role_ == Role::kSource ? QStringLiteral("\r\nIn cmdSelectSourceFolder_Click of ")
                                     : QStringLiteral("\r\n");
    prompt += QStringLiteral("Quonder");
    quonder::ShowMessage(prompt, QString::fromLatin1(kTitleFindTextAlarm), kMbOk | kMbIconStop);
    return false;
  }
}

bool FolderField::Validate() {
  if (box_ == nullptr) return false;
  std::string value;
  const bool passed = ValidateFolderField(box_->text().toStdString(), *this, value);
  set_value_(value);
  return passed;
}

bool FolderField::Drop(const QMimeData& data) {
  const std::vector<std::string> paths = LocalPaths(data);
  if (paths.empty()) return false;
  std::string value = get_value_();
  const bool taken = DropOnFolderField(paths, *this, value);
  if (taken) set_value_(value);
  return taken;
}

bool FolderField::eventFilter(QObject* watched, QEvent* event) {
  if (watched != box_) return false;
  switch (event->type()) {
    case QEvent::FocusOut: {
      const auto reason = static_cast<QFocusEvent*>(event)->reason();
      if (checking_ || !IsUserFocusMove(reason)) return false;
      // The value takes the text at once, so the command that the focus move may start sees
      // what was typed.
      const QString typed = box_->text();
      set_value_(typed.toStdString());
      QPointer<QWidget> next = QApplication::focusWidget();
      // A click on the field's own button browses and checks the result itself.
      if (reason == Qt::MouseFocusReason && next != nullptr && next == button_) return false;
      // A modal box inside the focus change would leave the pressed widget half-pressed; the
      // check runs as soon as the press has been delivered.
      QTimer::singleShot(0, this, [this, typed, next] { CheckAfterFocusOut(typed, next); });
      return false;
    }
    case QEvent::MouseButtonDblClick:
      if (button_ != nullptr && button_->isEnabled()) {
        button_->click();
      } else if (button_ == nullptr) {
        Browse();
      }
      return true;
    case QEvent::DragEnter:
    case QEvent::DragMove: {
      auto* drag = static_cast<QDragMoveEvent*>(event);
      if (LocalPaths(*drag->mimeData()).empty()) {
        drag->ignore();
      } else {
        drag->acceptProposedAction();
      }
      return true;  // text drags are not for this box
    }
    case QEvent::Drop: {
      auto* drop = static_cast<QDropEvent*>(event);
      drop->acceptProposedAction();
      Drop(*drop->mimeData());
      return true;
    }
    default:
      return false;
  }
}

void FolderField::CheckAfterFocusOut(const QString& typed, QPointer<QWidget> next) {
  // A closed window, or a box that the program has refilled meanwhile, has nothing to check.
  if (box_ == nullptr || !box_->isVisible() || box_->text() != typed) return;
  checking_ = true;
  // The value already took the text at the focus change; this only decides about the focus.
  std::string scratch;
  const bool passed = ApplyFolderPath(typed.toStdString(), *this, scratch);
  if (!passed) {
    box_->setFocus(Qt::OtherFocusReason);
    if (auto* pressed = qobject_cast<QAbstractButton*>(next.data())) pressed->setDown(false);
  }
  checking_ = false;
}

void FolderField::SetBoxText(const std::string& text) {
  if (box_ != nullptr) box_->setText(FromUtf8(text));
}

std::string FolderField::BrowseForFolder(const std::string& start) {
  // Owned by no window, as the browser always was: it is the desktop's child.
  return quonder::BrowseForFolder(QStringLiteral("Select Folder"), nullptr, 0, kBifReturnOnlyFsDirs,
                                  FromUtf8(start))
      .toStdString();
}

void FolderField::ShowMessage(const std::string& prompt, const std::string& title, int style) {
  quonder::ShowMessage(FromUtf8(prompt), FromUtf8(title), style);
}

}  // namespace quonder
