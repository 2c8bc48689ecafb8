#include "app/help_window.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QVBoxLayout>

#include "app/message_box.h"
#include "app/screen_room.h"
#include "app/shell_open.h"
#include "core/message_titles.h"
#include "core/settings/data_files.h"

namespace quonder {

QString ReadmePath(const QString& program_folder) {
  return QString::fromStdString(FindDataFile(program_folder.toStdString(), "readme.txt"));
}

void OpenReadme(QWidget* main_window, const QString& path) {
  if (!QFileInfo(path).isFile()) {
    ShowMessage(QStringLiteral("The help file was not found: ") + path,
                QString::fromLatin1(kTitleFindTextAlarm), kMbOk | kMbIconExclamation);
    return;
  }
  QPointer<QWidget> window(main_window);
  ShellOpen(path, main_window, [window, path](const QString& why) {
    if (why.isEmpty() || window.isNull()) return;
    auto* help = window->findChild<HelpWindow*>();
    if (help == nullptr) help = new HelpWindow(window);
    help->ShowFile(path, why);
  });
}

HelpWindow::HelpWindow(QWidget* main_window) : QDialog(main_window) {
  setObjectName(QStringLiteral("frmHelp"));
  setModal(false);
  lblReason = new QLabel(this);
  lblReason->setObjectName(QStringLiteral("lblReason"));
  lblReason->setWordWrap(true);
  txtHelp = new QPlainTextEdit(this);
  txtHelp->setObjectName(QStringLiteral("txtHelp"));
  txtHelp->setReadOnly(true);
  txtHelp->setLineWrapMode(QPlainTextEdit::NoWrap);
  txtHelp->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lblReason);
  layout->addWidget(txtHelp, 1);
  layout->addWidget(buttons);
  resize(QSize(760, 560).boundedTo(ClientRoom(*this)));
}

void HelpWindow::ShowFile(const QString& path, const QString& why) {
  setWindowTitle(QFileInfo(path).fileName() + QStringLiteral(" - Quonder"));
  lblReason->setText(
      QStringLiteral("The desktop could not open %1 (%2); here is its text.").arg(path, why));
  QFile file(path);
  txtHelp->setPlainText(file.open(QIODevice::ReadOnly)
                            ? QString::fromUtf8(file.readAll())
                            : QStringLiteral("It cannot be read: ") + file.errorString());
  show();
  raise();
  activateWindow();
}

}  // namespace quonder
