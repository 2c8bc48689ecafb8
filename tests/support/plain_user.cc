#include "support/plain_user.h"

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <thread>

namespace quonder::testing {
namespace {

// The raw calls: they change only the calling thread, which is the point. Only the effective
// set changes, so the permitted set can raise the capabilities again.
bool SetFileCapabilities(bool effective) {
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
  if (syscall(SYS_capget, &header, data) != 0) return false;
  for (int capability : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER, CAP_CHOWN}) {
    auto& set = data[CAP_TO_INDEX(capability)];
    set.effective = effective ? set.effective | (set.permitted & CAP_TO_MASK(capability))
                              : set.effective & ~CAP_TO_MASK(capability);
  }
  return syscall(SYS_capset, &header, data) == 0;
}

bool DropFileCapabilities() { return SetFileCapabilities(false); }

}  // namespace

bool RunAsPlainUser(const std::function<void()>& body) {
  bool dropped = false;
  std::thread thread([&] {
    dropped = DropFileCapabilities();
    if (dropped) body();
  });
  thread.join();
  return dropped;
}

PlainUserScope::PlainUserScope() : active_(DropFileCapabilities()) {}

PlainUserScope::~PlainUserScope() {
  if (active_) SetFileCapabilities(true);
}

}  // namespace quonder::testing
