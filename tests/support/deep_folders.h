// A chain of folders nested below a folder until their path is longer than a path may be
// (PATH_MAX), for testing what happens where a path can no longer be opened. Made and removed
// through descriptors, since such a path cannot be opened whole.
#pragma once

#include <string>
#include <vector>

namespace quonder::testing {

class DeepFolders {
 public:
  // Creates `name` below `base` and folders of 200-character names below it.
  DeepFolders(const std::string& base, const std::string& name);
  ~DeepFolders();  // removes them again
  DeepFolders(const DeepFolders&) = delete;
  DeepFolders& operator=(const DeepFolders&) = delete;

  // The first folder of the chain whose path from `base` is too long, relative to `base`.
  const std::string& too_long() const { return too_long_; }

 private:
  std::vector<int> fds_;  // fds_[i] is the folder that holds names_[i]
  std::vector<std::string> names_;
  std::string too_long_;
};

}  // namespace quonder::testing
