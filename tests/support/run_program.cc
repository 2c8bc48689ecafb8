#include "support/run_program.h"

#include <fcntl.h>
#include <linux/capability.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/scratch_folder.h"

extern char** environ;

namespace quonder::testing {

ProgramOutcome RunProgram(const std::vector<std::string>& argv, const ProgramSetup& setup) {
  ProgramOutcome outcome;
  if (argv.empty()) return outcome;
  ScratchFolder scratch;
  const std::string out = scratch.Path("out"), err = scratch.Path("err");
  std::vector<std::string> args = argv;
  std::vector<char*> pointers;
  for (std::string& arg : args) pointers.push_back(arg.data());
  pointers.push_back(nullptr);
  sigset_t blocked, before;
  sigemptyset(&blocked);
  if (setup.pending_signal != 0) sigaddset(&blocked, setup.pending_signal);
  pthread_sigmask(SIG_BLOCK, &blocked, &before);
  const pid_t pid = fork();
  if (pid == 0) {
    // Only calls that are safe between fork and exec. Dropped from the bounding set, the
    // capabilities stay lost for root across exec (a plain user has none to drop).
    if (setup.plain_user) {
      for (int capability : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER}) {
        if (prctl(PR_CAPBSET_DROP, capability, 0, 0, 0) != 0 && geteuid() == 0) _exit(127);
      }
    }
    const int flags = O_WRONLY | O_CREAT | O_TRUNC;
    const int in = open("/dev/null", O_RDONLY);
    const std::string& out_file = setup.out_file.empty() ? out : setup.out_file;
    const int out_fd = open(out_file.c_str(), flags, 0600);
    const int err_fd = open(err.c_str(), flags, 0600);
    if (in < 0 || out_fd < 0 || err_fd < 0 || dup2(in, 0) < 0 || dup2(out_fd, 1) < 0 ||
        dup2(err_fd, 2) < 0) {
      _exit(127);
    }
    if (setup.close_out) close(1);
    // The signal waits, blocked, until the program unblocks it, and then acts as it would on
    // a program started by a shell in the foreground (not ignored).
    if (setup.pending_signal != 0) {
      struct sigaction action = {};
      action.sa_handler = SIG_DFL;
      if (sigaction(setup.pending_signal, &action, nullptr) != 0 ||
          kill(getpid(), setup.pending_signal) != 0) {
        _exit(127);
      }
    }
    execve(pointers[0], pointers.data(), environ);
    _exit(127);
  }
  pthread_sigmask(SIG_SETMASK, &before, nullptr);
  if (pid > 0) {
    int status = 0;
    waitpid(pid, &status, 0);
    outcome.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    outcome.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  }
  outcome.out = scratch.Read("out");
  outcome.err = scratch.Read("err");
  return outcome;
}

}  // namespace quonder::testing
