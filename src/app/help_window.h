// Help > Help: the guide readme.txt, opened with the desktop's application for text; when the
// desktop cannot open it, shown in a read-only window of our own.
//
// Threads: the GUI thread only.
#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QPlainTextEdit;

namespace quonder {

// The guide found for the program in `program_folder` (core/settings/data_files.h).
QString ReadmePath(const QString& program_folder);

// Opens `path` with the desktop's opener; when that fails, shows its text in the help window
// of `main_window`, with the reason. A missing file gives a "Find Text Alarm" message that
// names where it was looked for.
void OpenReadme(QWidget* main_window, const QString& path);

// The read-only text window: one per main window, created on first use, shown again (with
// the text read again) by each later use. Not modal.
class HelpWindow : public QDialog {
  Q_OBJECT

 public:
  explicit HelpWindow(QWidget* main_window);

  // Shows the text of `path` below the line `why` (why the desktop could not show it).
  void ShowFile(const QString& path, const QString& why);

 private:
  QLabel* lblReason;
  QPlainTextEdit* txtHelp;
};

}  // namespace quonder
