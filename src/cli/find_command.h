// `quonder-cli find [options] FIND_TEXT FOLDER`: one find run, its rows on standard output.
#pragma once

namespace quonder {

// Exit status (command_options.h): 0 when at least one hit was found, 1 when none, 2 for wrong
// usage (with a usage line), a run that could not start or could not go on (missing folder,
// invalid pattern, unknown charset: a message on standard error), or a file or folder that
// could not be read (the rows found are printed all the same). With --quiet, 0 as soon as a
// hit is found. argv[0] is the command's name ("find").
int RunFindCommand(int argc, char** argv);

}  // namespace quonder
