// Opens a document with the desktop's application for its type.
//
// Threads: the GUI thread only.
#pragma once

#include <QString>

namespace quonder {

// Opens the local file or folder at `path` through QDesktopServices; returns false when the
// desktop could not be asked (no handler, empty path). Does not wait for the application.
bool ShellOpen(const QString& path);

}  // namespace quonder
