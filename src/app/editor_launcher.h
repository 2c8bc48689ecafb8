// Starts the external editor for one hit of the result list: the command line is built and
// split by core/fileops/editor_command.h, then started detached (core/fileops/detached_process.h:
// the words byte for byte; the program is not waited for and its exit is not checked).
//
// Threads: the GUI thread only.
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <string>

namespace quonder {

// Opens the hit at `line`/`column` of the file `relative_path` below `source_folder` (as
// entered; expanded here) with `editor_template` (%P, %L, %C and %NAME% references).
// Returns false when the command is empty or its program cannot be started; then `failure`
// (when given) says so for the status bar, naming the program and why ("not found", "not
// executable", ...).
bool OpenInEditor(const std::string& editor_template, const std::string& source_folder,
                  const std::string& relative_path, int64_t line, int64_t column,
                  QString* failure = nullptr);

// Test seam: replaces StartDetached. An empty starter restores the real one.
using ProcessStarter = std::function<bool(const QString& program, const QStringList& arguments)>;
void SetProcessStarter(ProcessStarter starter);

}  // namespace quonder
