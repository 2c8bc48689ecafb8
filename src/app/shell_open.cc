#include "app/shell_open.h"

#include <QDesktopServices>
#include <QUrl>

namespace quonder {

bool ShellOpen(const QString& path) {
  if (path.isEmpty()) return false;
  return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

}  // namespace quonder
