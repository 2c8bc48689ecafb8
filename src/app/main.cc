// quonder [settings-file]: the main window. The settings file defaults to Quonder.ini beside
// the program; a path with blanks may be given in double quotes or as several arguments.
#include <QApplication>
#include <QStringList>

#include <string>
#include <vector>

#include "app/app_icon.h"
#include "app/frm_find.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Quonder"));
  QApplication::setWindowIcon(quonder::AppIcon());
  // Ties the window to its desktop entry (and so its icon) on Wayland and in task bars.
  QGuiApplication::setDesktopFileName(QStringLiteral(QUONDER_APP_ID));

  quonder::FindWindowStart start;
  start.program_folder = QCoreApplication::applicationDirPath().toStdString();
  const QStringList arguments = QCoreApplication::arguments();
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    start.arguments.push_back(arguments[i].toStdString());
  }

  quonder::frmFind window(start);
  if (!window.Form_Load()) return 1;
  window.show();
  return app.exec();
}
