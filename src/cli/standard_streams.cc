#include "cli/standard_streams.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "cli/command_options.h"

namespace quonder {
namespace {

int output_error = 0;  // the first failed write's errno; 0: none seen

}  // namespace

void KeepStandardDescriptorsOpen() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // open() takes the lowest free number: `fd` itself.
    const int opened = open("/dev/null", fd == 2 ? O_WRONLY : O_RDONLY);
    if (opened != fd && opened >= 0) close(opened);
  }
}

void NoteStandardOutputError(int error) {
  if (output_error == 0) output_error = error;
}

int FinishStandardOutput(int status) {
  errno = 0;
  if (std::fflush(stdout) != 0) NoteStandardOutputError(errno);
  if (output_error == 0 && !std::ferror(stdout)) return status;
  if (output_error != 0) {
    std::fprintf(stderr, "quonder-cli: cannot write to standard output: %s\n",
                 std::strerror(output_error));
  } else {
    std::fputs("quonder-cli: cannot write to standard output\n", stderr);
  }
  return kExitError;
}

}  // namespace quonder
