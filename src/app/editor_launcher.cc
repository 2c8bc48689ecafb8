#include "app/editor_launcher.h"

#include <utility>
#include <vector>

#include "core/fileops/detached_process.h"
#include "core/fileops/editor_command.h"
#include "core/status.h"

namespace quonder {
namespace {

ProcessStarter& Starter() {
  static ProcessStarter starter;
  return starter;
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
  Status status;
  if (Starter()) {
    QStringList arguments;
    for (size_t i = 1; i < words.size(); ++i) arguments << QString::fromStdString(words[i]);
    if (!Starter()(program, arguments)) {
      status = Status::Error(Status::Code::kIoError, "could not be started");
    }
  } else {
    status = StartDetached(words);
  }
  if (!status.ok() && failure) {
    *failure = QStringLiteral("Cannot start the editor \"%1\": %2")
                   .arg(program, QString::fromStdString(status.message()));
  }
  return status.ok();
}

void SetProcessStarter(ProcessStarter starter) { Starter() = std::move(starter); }

}  // namespace quonder
