#include "app/quit_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>

#include <cerrno>

namespace quonder {
namespace {

// [0] is read on the window's thread, [1] written by the handler.
int quit_socket[2] = {-1, -1};

void OnQuitSignal(int) {
  const int saved = errno;
  const char byte = 1;
  // A full socket already holds a request: one more adds nothing.
  [[maybe_unused]] const ssize_t written = write(quit_socket[1], &byte, 1);
  errno = saved;
}

}  // namespace

bool CloseWindowsOnQuitSignals() {
  if (quit_socket[0] >= 0) return true;
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, quit_socket) != 0) {
    return false;
  }
  auto* notifier = new QSocketNotifier(quit_socket[0], QSocketNotifier::Read, qApp);
  QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] {
    char bytes[64];
    while (read(quit_socket[0], bytes, sizeof bytes) > 0) {
    }
    // Message boxes too: a question still open would keep its nested event loop, and the
    // program, going.
    QApplication::closeAllWindows();
  });
  struct sigaction action = {};
  action.sa_handler = OnQuitSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal_number : {SIGTERM, SIGHUP, SIGINT}) {
    if (sigaction(signal_number, &action, nullptr) != 0) return false;
  }
  return true;
}

}  // namespace quonder
