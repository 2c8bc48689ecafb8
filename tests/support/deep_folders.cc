#include "support/deep_folders.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quonder::testing {

DeepFolders::DeepFolders(const std::string& base, const std::string& name) {
  const std::string level(200, 'n');
  fds_.push_back(open(base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  std::string relative = name;
  for (std::string next = name; too_long_.empty(); next = level, relative += "/" + level) {
    mkdirat(fds_.back(), next.c_str(), 0755);
    fds_.push_back(openat(fds_.back(), next.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    names_.push_back(next);
    if (base.size() + 1 + relative.size() >= PATH_MAX) too_long_ = relative;
  }
}

DeepFolders::~DeepFolders() {
  for (size_t i = names_.size(); i > 0; --i) {
    close(fds_[i]);
    unlinkat(fds_[i - 1], names_[i - 1].c_str(), AT_REMOVEDIR);
  }
  close(fds_[0]);
}

}  // namespace quonder::testing
