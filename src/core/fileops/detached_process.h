// Starting a program that outlives the call and is never waited for by the caller: the editor
// that opens a hit. The words go to the program byte for byte, so a file name that is not
// UTF-8 reaches it as the file system has it (a round trip through Qt's strings would turn
// such bytes into U+FFFD and name another file).
#pragma once

#include <string>
#include <vector>

#include "core/status.h"

namespace quonder {

// Starts words[0] (looked up in PATH when it holds no slash) with words[1..] as its arguments,
// in a session of its own, with the signals a new program expects (none blocked, each at its
// default). Its exit is collected in the background, so it never lingers as a zombie.
// Returns OK once it runs, or an error whose message says why not: "not found", "no such
// file", "not executable", or the system's words.
Status StartDetached(const std::vector<std::string>& words);

}  // namespace quonder
