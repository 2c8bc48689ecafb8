#include "core/fileops/detached_process.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>
#include <thread>

extern char** environ;

namespace quonder {
namespace {

std::string WhyNotStarted(int error, const std::string& program) {
  switch (error) {
    case ENOENT:
      return program.find('/') == std::string::npos ? "not found" : "no such file";
    case EACCES:
    case ENOEXEC:
    case EISDIR:
      return "not executable";
    default:
      return std::strerror(error);
  }
}

}  // namespace

Status StartDetached(const std::vector<std::string>& words) {
  if (words.empty() || words.front().empty()) {
    return Status::Error(Status::Code::kInvalidArgument, "no program");
  }
  std::vector<char*> argv;
  argv.reserve(words.size() + 1);
  for (const std::string& word : words) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);

  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none, all;
  sigemptyset(&none);
  sigfillset(&all);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &all);
  posix_spawnattr_setflags(&attributes,
                           POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  pid_t pid = 0;
  const int error = posix_spawnp(&pid, argv[0], nullptr, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  if (error != 0) {
    return Status::Error(Status::Code::kIoError, WhyNotStarted(error, words.front()));
  }
  try {
    std::thread([pid] {
      while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
      }
    }).detach();
  } catch (const std::system_error&) {
    // No thread to be had: the program runs all the same, and its exit is collected when this
    // process ends.
  }
  return Status::Ok();
}

}  // namespace quonder
