// Permission tests that mean the same when the tests run as root (as CI does).
#pragma once

#include <functional>

namespace quonder::testing {

// Runs `body` on a thread of its own that has lost the capabilities by which root ignores file
// permissions (reading, searching, writing and chmod of files it does not own), so that a mode
// of 0 or 0555 stops it as it stops any user. Capabilities belong to a thread: the caller keeps
// its own. Threads that `body` starts inherit the loss. False when they could not be dropped
// (body not run).
bool RunAsPlainUser(const std::function<void()>& body);

}  // namespace quonder::testing
