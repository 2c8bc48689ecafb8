// Runs a program of the build as a user's shell would, for end-to-end tests.
#pragma once

#include <string>
#include <vector>

namespace quonder::testing {

struct ProgramOutcome {
  int exit_code = -1;  // -1 when it could not be started or did not exit normally
  std::string out;     // standard output
  std::string err;     // standard error
};

// Runs `argv` (argv[0] is the program's path) with this process's environment and waits for
// it; standard input is empty, output and error are captured whole.
ProgramOutcome RunProgram(const std::vector<std::string>& argv);

}  // namespace quonder::testing
