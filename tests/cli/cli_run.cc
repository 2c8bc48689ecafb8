#include "cli/cli_run.h"

#include <fcntl.h>
#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace quonder::testing {

CliOutcome RunCli(const std::vector<std::string>& args, const ScratchFolder& scratch,
                  bool plain_user) {
  std::vector<std::string> all = {QUONDER_CLI};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : all) argv.push_back(arg.data());
  argv.push_back(nullptr);
  const std::string out_path = scratch.Path("out"), err_path = scratch.Path("err");
  CliOutcome outcome;
  const pid_t pid = fork();
  if (pid == 0) {
    // Only calls that are safe between fork and exec. Dropped from the bounding set, the
    // capabilities stay lost for root across exec.
    if (plain_user) {
      for (int capability : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER}) {
        if (prctl(PR_CAPBSET_DROP, capability, 0, 0, 0) != 0 && geteuid() == 0) _exit(127);
      }
    }
    const int flags = O_WRONLY | O_CREAT | O_TRUNC;
    const int out = open(out_path.c_str(), flags, 0600), err = open(err_path.c_str(), flags, 0600);
    if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) _exit(127);
    execve(QUONDER_CLI, argv.data(), environ);
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
