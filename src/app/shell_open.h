// Opens a document with the desktop's application for its type, through the desktop's opener
// program (xdg-open).
//
// Threads: the GUI thread only.
#pragma once

#include <QString>

#include <functional>
#include <string>

class QObject;

namespace quonder {

// Starts the opener on the local file `path` and returns at once. `done` runs later, on the
// GUI thread and once, when the opener has ended or could not be started: with an empty text
// when it succeeded, else with the reason (not installed; or a non-zero status: no
// application for the type, or it failed to start). It does not run once `context` is gone.
// The opener may run as long as the application it started (xdg-open does so on desktops
// without a launcher service): it is not waited for, and it goes on running when the program
// ends.
void ShellOpen(const QString& path, QObject* context, std::function<void(const QString&)> done);

// What to hand the opener for the local `path` (bytes as the file system has them): the path
// itself when it is UTF-8, else a file URL with the bytes percent-encoded, which the opener
// turns back into exactly those bytes (a QString cannot hold them).
QString OpenableName(const std::string& path);

// Test seam: the opener program, started with the path as its one argument. Empty restores
// "xdg-open".
void SetShellOpener(const QString& program);

}  // namespace quonder
