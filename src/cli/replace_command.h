// `quonder-cli replace [find options] --replace TEXT FIND_TEXT FOLDER`: one find run, then every
// hit it found replaced, as if every row of the list were selected, with the replace run's
// safety rules (core/fileops/replace_run.h).
#pragma once

namespace quonder {

// Prints one line per affected file (replaced, or left untouched with the reason) and the
// summary on standard output (nothing with --quiet). Exit status (command_options.h): 0 when
// every hit found was replaced (or would be, with --dry-run), 1 when nothing was found, 2 for
// wrong usage (with a usage line; a --backup folder that exists and is not empty included), a
// find that could not run, a file left untouched, a file or folder the find could not read,
// or a failed backup (nothing is changed then). argv[0] is the command's name ("replace").
int RunReplaceCommand(int argc, char** argv);

}  // namespace quonder
