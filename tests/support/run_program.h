// Runs a program of the build as a user's shell would, for end-to-end tests.
#pragma once

#include <string>
#include <vector>

namespace quonder::testing {

struct ProgramOutcome {
  int exit_code = -1;  // -1 when it could not be started or did not exit normally
  int signal = 0;      // the signal that ended it; 0 when it exited
  std::string out;     // standard output (empty when it went elsewhere)
  std::string err;     // standard error
};

// How the program is started; the defaults are a plain shell command with its output captured.
struct ProgramSetup {
  // Without the capabilities by which root ignores file permissions (as RunAsPlainUser, but
  // kept across the program's start), so that a mode of 0 stops it as it stops any user
  // (default off).
  bool plain_user = false;
  // Standard output goes to this file (opened for writing, as `> FILE` does, e.g. /dev/full)
  // instead of being captured; "" captures it (default).
  std::string out_file;
  // Standard output is closed, as `>&-` does (default off).
  bool close_out = false;
  // A signal already pending when the program starts: it is blocked across the start and
  // reaches the program once the program unblocks it (default 0: none).
  int pending_signal = 0;
};

// Runs `argv` (argv[0] is the program's path) with this process's environment and waits for
// it; standard input is empty, output and error are captured whole.
ProgramOutcome RunProgram(const std::vector<std::string>& argv, const ProgramSetup& setup);
inline ProgramOutcome RunProgram(const std::vector<std::string>& argv, bool plain_user = false) {
  ProgramSetup setup;
  setup.plain_user = plain_user;
  return RunProgram(argv, setup);
}

}  // namespace quonder::testing
