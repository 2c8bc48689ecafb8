#include "cli/interruption.h"

#include <signal.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace quonder {
namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
std::atomic<int> arrived{0};  // the signal that arrived; 0: none
static_assert(std::atomic<int>::is_always_lock_free);

void OnSignal(int signal_number) { arrived.store(signal_number, std::memory_order_relaxed); }

}  // namespace

InterruptionGuard::InterruptionGuard() {
  sigset_t unblock;
  sigemptyset(&unblock);
  for (int signal_number : kSignals) {
    struct sigaction previous = {};
    if (sigaction(signal_number, nullptr, &previous) != 0 || previous.sa_handler == SIG_IGN) {
      continue;
    }
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    sigaction(signal_number, &action, nullptr);
    sigaddset(&unblock, signal_number);
  }
  sigprocmask(SIG_UNBLOCK, &unblock, nullptr);
}

InterruptionGuard::~InterruptionGuard() {
  for (int signal_number : kSignals) {
    struct sigaction current = {};
    if (sigaction(signal_number, nullptr, &current) == 0 && current.sa_handler == OnSignal) {
      signal(signal_number, SIG_DFL);
    }
  }
}

bool InterruptionGuard::Interrupted() { return arrived.load(std::memory_order_relaxed) != 0; }

void InterruptionGuard::EndByTheSignal() {
  const int signal_number = arrived.load(std::memory_order_relaxed);
  std::fflush(stdout);
  signal(signal_number, SIG_DFL);
  sigset_t unblock;
  sigemptyset(&unblock);
  sigaddset(&unblock, signal_number);
  sigprocmask(SIG_UNBLOCK, &unblock, nullptr);
  raise(signal_number);
  std::abort();  // not reached: the default action of the three signals ends the program
}

}  // namespace quonder
