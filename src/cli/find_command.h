// `quonder-cli find [options] FIND_TEXT FOLDER`: one find run, its rows on standard output.
#pragma once

namespace quonder {

// Exit status 0 when the run completed (with or without hits), 1 when it could not start or
// could not go on (missing folder, invalid pattern, unknown charset: a message on standard
// error), 2 for wrong usage (with a usage line). argv[0] is the command's name ("find").
int RunFindCommand(int argc, char** argv);

}  // namespace quonder
