#include "app/shell_open.h"

#include <QByteArray>
#include <QProcess>

#include "core/text/utf_convert.h"

namespace quonder {
namespace {

QString& Opener() {
  static QString program = QStringLiteral("xdg-open");
  return program;
}

}  // namespace

void ShellOpen(const QString& path, QObject* context, std::function<void(const QString&)> done) {
  // No parent: the opener may outlive the window, and destroying a QProcess kills its program.
  // Its output goes where ours goes, so that no pipe to us is left behind when we end.
  auto* process = new QProcess();
  process->setProgram(Opener());
  process->setArguments({path});
  process->setProcessChannelMode(QProcess::ForwardedChannels);
  process->setStandardInputFile(QProcess::nullDevice());
  const QString opener = Opener();
  QObject::connect(
      process, &QProcess::errorOccurred, context,
      [process, opener, done](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart) return;
        done(QStringLiteral("%1 could not be started: %2").arg(opener, process->errorString()));
      });
  QObject::connect(
      process, &QProcess::finished, context, [opener, done](int code, QProcess::ExitStatus status) {
        if (status != QProcess::NormalExit) {
          done(QStringLiteral("%1 crashed").arg(opener));
        } else {
          done(code == 0 ? QString()
                         : QStringLiteral("%1 ended with status %2").arg(opener).arg(code));
        }
      });
  QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
  QObject::connect(process, &QProcess::errorOccurred, process, [process](QProcess::ProcessError e) {
    if (e == QProcess::FailedToStart) process->deleteLater();
  });
  process->start();
}

QString OpenableName(const std::string& path) {
  if (IsValidUtf8(path)) return QString::fromStdString(path);
  const QByteArray bytes(path.data(), static_cast<qsizetype>(path.size()));
  return QStringLiteral("file://") + QString::fromLatin1(bytes.toPercentEncoding("/"));
}

void SetShellOpener(const QString& program) {
  Opener() = program.isEmpty() ? QStringLiteral("xdg-open") : program;
}

}  // namespace quonder
