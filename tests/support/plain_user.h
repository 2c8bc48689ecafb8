// Permission tests that mean the same when the tests run as root (as CI does).
#pragma once

#include <functional>

namespace quonder::testing {

// Runs `body` on a thread of its own that has lost the capabilities by which root ignores file
// permissions (reading, searching, writing, chmod and chown of files it does not own), so that a
// mode of 0 or 0555 stops it as it stops any user, and it cannot give a file away. Capabilities
// belong to a thread: the caller keeps its own. Threads that `body` starts inherit the loss. False
// when they could not be dropped (body not run).
bool RunAsPlainUser(const std::function<void()>& body);

// The same for the calling thread while the object lives, for code that must run on it (a
// window on the GUI thread): the capabilities are given back at the end of the scope.
class PlainUserScope {
 public:
  PlainUserScope();
  ~PlainUserScope();
  PlainUserScope(const PlainUserScope&) = delete;
  PlainUserScope& operator=(const PlainUserScope&) = delete;

  bool active() const { return active_; }

 private:
  bool active_ = false;
};

}  // namespace quonder::testing
