#include "app/editor_launcher.h"

#include <QProcess>

#include <utility>
#include <vector>

#include "core/fileops/editor_command.h"

namespace quonder {
namespace {

ProcessStarter& Starter() {
  static ProcessStarter starter;
  return starter;
}

}  // namespace

bool OpenInEditor(const std::string& editor_template, const std::string& source_folder,
                  const std::string& relative_path, int64_t line, int64_t column) {
  const std::vector<std::string> words =
      EditorCommandWords(editor_template, source_folder, relative_path, line, column);
  if (words.empty() || words.front().empty()) return false;
  const QString program = QString::fromStdString(words.front());
  QStringList arguments;
  for (size_t i = 1; i < words.size(); ++i) arguments << QString::fromStdString(words[i]);
  if (Starter()) return Starter()(program, arguments);
  return QProcess::startDetached(program, arguments);
}

void SetProcessStarter(ProcessStarter starter) { Starter() = std::move(starter); }

}  // namespace quonder
