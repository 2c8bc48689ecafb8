// `quonder-cli replace [find options] --replace TEXT FIND_TEXT FOLDER`: one find run, then every
// hit it found replaced, as if every row of the list were selected, with the replace run's
// safety rules (core/replace_run.h).
#pragma once

namespace quonder {

// Prints one line per affected file (replaced, or left untouched with the reason) and the
// summary on standard output. Exit status 0 when every file was replaced (or would be, with
// --dry-run), 1 when any file was left untouched, the backup failed (nothing is changed then),
// the find could not run or could not read a file, 2 for wrong usage
// (with a usage line), including a --backup folder that exists and is not empty.
// argv[0] is the command's name ("replace").
int RunReplaceCommand(int argc, char** argv);

}  // namespace quonder
