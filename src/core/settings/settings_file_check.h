// Whether a file may serve as the settings file. The settings file is rewritten as the user
// works, so a path that names some other file (a document given to "Open With", a log, another
// program's configuration) must not be taken: its owner would find Quonder's keys in it.
//
// A file that exists serves when the settings reader can read it (settings_file_io.h: a regular
// file of at most 16 MB) and its bytes are the text of an INI file:
// - no NUL byte (the reader reads such a file as empty and the writers refuse it);
// - a section header line, "[name]" once blanks are trimmed (a comment may follow the ']'), or
//   else nothing but blank lines and comments (';' or '#'): an empty file is a new settings
//   file, and comments alone are how a person may start one. A "key=value" line outside any
//   section does not count: Quonder never reads one, and it is what .env files, property files
//   and prose ("x = 2") hold. "[1] a note" or "[a link](...)" is no header either.
// A leading UTF-8 BOM is skipped, and a CR before the LF ends the line. Bytes that are no UTF-8
// are not refused here: such a file with sections is read, and never written into
// (ini_profile.h).
#pragma once

#include <string>
#include <string_view>

#include "core/status.h"

namespace quonder {

// Why `bytes` (a whole file) are not a settings file's text, as a phrase ("it holds ..."); nullptr
// when they are.
const char* SettingsTextRefusal(std::string_view bytes);

// Whether the file at `path` may be used as the settings file. OK when it may, and when nothing
// is there (the first write makes it). Otherwise the reader's error (kIoError, naming the path:
// not a regular file, too large, no permission) or kInvalidArgument, "\"path\" is not a
// settings file: " and SettingsTextRefusal's phrase.
Status CheckSettingsFile(const std::string& path);

}  // namespace quonder
