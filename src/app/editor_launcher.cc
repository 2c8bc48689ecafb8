#include "app/editor_launcher.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <utility>
#include <vector>

#include "core/fileops/editor_command.h"

namespace quonder {
namespace {

ProcessStarter& Starter() {
  static ProcessStarter starter;
  return starter;
}

// Why `program` could not be started, as far as can be told from outside.
QString WhyNotStarted(const QString& program) {
  if (!program.contains(QLatin1Char('/'))) {
    if (QStandardPaths::findExecutable(program).isEmpty()) return QStringLiteral("not found");
  } else {
    const QFileInfo file(program);
    if (!file.exists()) return QStringLiteral("no such file");
    if (file.isDir() || !file.isExecutable()) return QStringLiteral("not executable");
  }
  return QStringLiteral("could not be started");
}

}  // namespace

bool OpenInEditor(const std::string& editor_template, const std::string& source_folder,
                  const std::string& relative_path, int64_t line, int64_t column,
                  QString* failure) {
  const std::vector<std::string> words =
      EditorCommandWords(editor_template, source_folder, relative_path, line, column);
  if (words.empty() || words.front().empty()) {
    if (failure) *failure = QStringLiteral("No editor command: set Editor in the settings file");
    return false;
  }
  const QString program = QString::fromStdString(words.front());
  QStringList arguments;
  for (size_t i = 1; i < words.size(); ++i) arguments << QString::fromStdString(words[i]);
  const bool started =
      Starter() ? Starter()(program, arguments) : QProcess::startDetached(program, arguments);
  if (!started && failure) {
    *failure =
        QStringLiteral("Cannot start the editor \"%1\": %2").arg(program, WhyNotStarted(program));
  }
  return started;
}

void SetProcessStarter(ProcessStarter starter) { Starter() = std::move(starter); }

}  // namespace quonder
