// Runs the built quonder-cli as a user would, for the end-to-end tests of tests/cli.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/scratch_folder.h"

namespace quonder::testing {

struct CliOutcome {
  int exit_code = -1;  // -1 when it could not be started or did not exit normally
  std::string out;     // standard output
  std::string err;     // standard error
};

// Runs `quonder-cli ARGS...` in this process's environment; its output goes through files in
// `scratch` ("out", "err"), so any amount of it is captured. `plain_user`: without the
// capabilities by which root ignores file permissions, so that a mode of 0 stops it.
CliOutcome RunCli(const std::vector<std::string>& args, const ScratchFolder& scratch,
                  bool plain_user = false);

// A fresh folder with a tree to search below "tree", and the program run on it.
class CliTest : public ::testing::Test {
 protected:
  std::string Tree() const { return scratch_.Path("tree"); }
  std::string Write(const std::string& relative, const std::string& bytes) const {
    return scratch_.Write(relative, bytes);
  }
  std::string Read(const std::string& relative) const { return scratch_.Read(relative); }
  std::string Path(const std::string& relative) const { return scratch_.Path(relative); }
  CliOutcome Run(const std::vector<std::string>& args, bool plain_user = false) const {
    return RunCli(args, scratch_, plain_user);
  }

  ScratchFolder scratch_;
};

}  // namespace quonder::testing
