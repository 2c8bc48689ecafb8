#include "support/run_program.h"

#include <fcntl.h>
#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/scratch_folder.h"

extern char** environ;

namespace quonder::testing {

ProgramOutcome RunProgram(const std::vector<std::string>& argv, bool plain_user) {
  ProgramOutcome outcome;
  if (argv.empty()) return outcome;
  ScratchFolder scratch;
  const std::string out = scratch.Path("out"), err = scratch.Path("err");
  std::vector<std::string> args = argv;
  std::vector<char*> pointers;
  for (std::string& arg : args) pointers.push_back(arg.data());
  pointers.push_back(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    // Only calls that are safe between fork and exec. Dropped from the bounding set, the
    // capabilities stay lost for root across exec (a plain user has none to drop).
    if (plain_user) {
      for (int capability : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER}) {
        if (prctl(PR_CAPBSET_DROP, capability, 0, 0, 0) != 0 && geteuid() == 0) _exit(127);
      }
    }
    const int flags = O_WRONLY | O_CREAT | O_TRUNC;
    const int in = open("/dev/null", O_RDONLY);
    const int out_fd = open(out.c_str(), flags, 0600), err_fd = open(err.c_str(), flags, 0600);
    if (in < 0 || out_fd < 0 || err_fd < 0 || dup2(in, 0) < 0 || dup2(out_fd, 1) < 0 ||
        dup2(err_fd, 2) < 0) {
      _exit(127);
    }
    execve(pointers[0], pointers.data(), environ);
    _exit(127);
  }
  if (pid > 0) {
    int status = 0;
    waitpid(pid, &status, 0);
    outcome.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  outcome.out = scratch.Read("out");
  outcome.err = scratch.Read("err");
  return outcome;
}

}  // namespace quonder::testing
