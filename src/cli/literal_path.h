// Paths on the command line are taken literally: the shell has already expanded what the user
// meant to expand, and a folder named "%HOME%" is a folder of that name.
#pragma once

#include <string>

namespace quonder {

// The engine expands %NAME% references in every folder value it is given (the window and
// the settings file store them so). So that `path` reaches the file system as written, every
// NAME that a reference in it could take is removed from this process's environment; the
// references then stay as written. Call before any thread starts, only for values of the
// command line (a settings file's folder is not used when the command line names one).
void KeepPathLiteral(const std::string& path);

}  // namespace quonder
