// Binds one folder field of the main window (its text box, its "..." button and its window
// state value) to the folder-field rules: the typed path is checked when the focus leaves the
// box, a double click presses the button, and a folder dropped from a file manager is taken.
//
// Threads: the GUI thread only.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <string>

#include "core/settings/folder_fields.h"

class QAbstractButton;
class QLineEdit;
class QMimeData;
class QWidget;

namespace quonder {

class FolderField : public QObject, private FolderFieldView {
  Q_OBJECT

 public:
  enum class Role { kSource, kCopy };  // names the command in an unexpected-failure message

  // The field's window state value, read and written through these two functions. It holds
  // the folder as the user gave it (%NAME% references unexpanded).
  using Getter = std::function<std::string()>;
  using Setter = std::function<void(const std::string&)>;

  // Watches `box` (and lets it accept drops). `button` may be null; then a double click runs
  // Browse() itself. Neither widget is owned; the object is a child of `box`, so it dies with
  // the box. The button's clicked() is NOT connected here: the window's click handler calls
  // Browse(), and the double click presses the button so that exactly that handler runs.
  FolderField(Role role, QLineEdit* box, QAbstractButton* button, Getter get_value,
              Setter set_value);

  // The "..." command: the folder browser, titled "Select Folder" and owned by no window,
  // opens at the expanded value; the choice (or on cancel the start folder) is checked and
  // taken into box and value. Returns true when a folder was taken.
  bool Browse();

  // What leaving the box does: the value takes the box's text whatever it holds; returns
  // whether it names an existing folder (else the alarm has been shown). Does not move focus.
  bool Validate();

  // Takes the first local path of a file-manager drop. A drop without local paths is ignored
  // (false, no message); a file is rejected with the alarm.
  bool Drop(const QMimeData& data);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void SetBoxText(const std::string& text) override;
  std::string BrowseForFolder(const std::string& start) override;
  void ShowMessage(const std::string& prompt, const std::string& title, int style) override;

  // Runs after the focus has left the box for `next`: the check, and on failure the focus
  // goes back and a button that the leaving press went down on is let up without a click.
  void CheckAfterFocusOut(const QString& typed, QPointer<QWidget> next);

  Role role_;
  QPointer<QLineEdit> box_;
  QPointer<QAbstractButton> button_;
  Getter get_value_;
  Setter set_value_;
  bool checking_ = false;
};

}  // namespace quonder
