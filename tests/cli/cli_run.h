// The fixture of the end-to-end tests of quonder-cli: a fresh folder with a tree to search
// below "tree", and the built program run on it as a user would.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/run_program.h"
#include "support/scratch_folder.h"

namespace quonder::testing {

class CliTest : public ::testing::Test {
 protected:
  std::string Tree() const { return scratch_.Path("tree"); }
  std::string Write(const std::string& relative, const std::string& bytes) const {
    return scratch_.Write(relative, bytes);
  }
  std::string Read(const std::string& relative) const { return scratch_.Read(relative); }
  std::string Path(const std::string& relative) const { return scratch_.Path(relative); }
  // `quonder-cli ARGS...`; see ProgramSetup for `plain_user` and the rest of `setup`.
  ProgramOutcome Run(std::vector<std::string> args, bool plain_user = false) const {
    ProgramSetup setup;
    setup.plain_user = plain_user;
    return Run(std::move(args), setup);
  }
  ProgramOutcome Run(std::vector<std::string> args, const ProgramSetup& setup) const {
    args.insert(args.begin(), QUONDER_CLI);
    return RunProgram(args, setup);
  }

  ScratchFolder scratch_;
};

}  // namespace quonder::testing
