// Ctrl+C (SIGINT), SIGTERM and SIGHUP turned into a stop request, for a command that must not
// be killed halfway through writing a file: it stops at its next safe point, then ends as the
// signal would have ended it, so that the shell and a calling script see the interruption.
#pragma once

namespace quonder {

// While it lives, each of the three signals sets the flag below instead of killing the
// program, once: a second one acts as it would have without the guard. A signal that was
// ignored when the program started (a background command, nohup) stays ignored. The signals
// are unblocked, so that one that was already pending arrives now.
class InterruptionGuard {
 public:
  InterruptionGuard();
  ~InterruptionGuard();
  InterruptionGuard(const InterruptionGuard&) = delete;
  InterruptionGuard& operator=(const InterruptionGuard&) = delete;

  // True once one of the signals arrived. Cheap, and safe from any thread.
  static bool Interrupted();
  // Ends the program by the signal that arrived (its default action), after flushing standard
  // output. Call only when Interrupted().
  [[noreturn]] static void EndByTheSignal();
};

}  // namespace quonder
