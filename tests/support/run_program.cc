#include "support/run_program.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include "support/scratch_folder.h"

extern char** environ;

namespace quonder::testing {

ProgramOutcome RunProgram(const std::vector<std::string>& argv) {
  ScratchFolder scratch;
  const std::string out = scratch.Path("out"), err = scratch.Path("err");
  std::vector<std::string> args = argv;
  std::vector<char*> pointers;
  for (std::string& arg : args) pointers.push_back(arg.data());
  pointers.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ProgramOutcome outcome;
  pid_t pid = 0;
  if (!args.empty() &&
      posix_spawn(&pid, args[0].c_str(), &actions, nullptr, pointers.data(), environ) == 0) {
    int status = 0;
    waitpid(pid, &status, 0);
    outcome.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  posix_spawn_file_actions_destroy(&actions);
  outcome.out = scratch.Read("out");
  outcome.err = scratch.Read("err");
  return outcome;
}

}  // namespace quonder::testing
