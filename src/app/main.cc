// quonder [OPTION]... [FOLDER | SETTINGS_FILE]: the main window (window_command_line.h).
#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <string>
#include <vector>

#include "app/app_icon.h"
#include "app/frm_find.h"
#include "app/message_box.h"
#include "app/quit_signals.h"
#include "app/window_command_line.h"
#include "core/message_titles.h"

int main(int argc, char** argv) {
  // Before the toolkit starts: --help and --version need no display.
  const quonder::WindowCommandLine command_line =
      quonder::ParseWindowCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  switch (command_line.action) {
    case quonder::WindowCommandLine::Action::kHelp:
      std::fputs(quonder::WindowHelp(), stdout);
      return 0;
    case quonder::WindowCommandLine::Action::kVersion:
      std::printf("quonder %s\n", QUONDER_VERSION);
      return 0;
    case quonder::WindowCommandLine::Action::kUsageError:
      std::fprintf(stderr,
                   "quonder: %s\nUsage: quonder [OPTION]... [FOLDER | SETTINGS_FILE]\n"
                   "Try 'quonder --help' for more information.\n",
                   command_line.error.c_str());
      return 2;
    case quonder::WindowCommandLine::Action::kRun:
      break;
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Quonder"));
  QApplication::setWindowIcon(quonder::AppIcon());
  // Ties the window to its desktop entry (and so its icon) on Wayland and in task bars.
  QGuiApplication::setDesktopFileName(QStringLiteral(QUONDER_APP_ID));

  quonder::FindWindowStart start;
  start.program_folder = QCoreApplication::applicationDirPath().toStdString();
  start.settings_file = command_line.settings_file;
  start.source_folder = command_line.source_folder;

  quonder::frmFind window(start);
  if (!window.Form_Load()) return 1;
  quonder::CloseWindowsOnQuitSignals();
  window.show();
  // One argument at most, so one refusal at most.
  const std::string& refusal = !command_line.folder_refusal.empty() ? command_line.folder_refusal
                                                                    : command_line.settings_refusal;
  if (!refusal.empty()) {
    // Started from a file manager, standard error is seen by no one: the box says it too,
    // over the window that opened without the folder or the file.
    std::fprintf(stderr, "quonder: %s\n", refusal.c_str());
    QTimer::singleShot(0, &window, [&refusal] {
      quonder::ShowMessage(QString::fromStdString(refusal),
                           QString::fromLatin1(quonder::kTitleFindTextAlarm),
                           quonder::kMbOk | quonder::kMbIconExclamation);
    });
  }
  return app.exec();
}
