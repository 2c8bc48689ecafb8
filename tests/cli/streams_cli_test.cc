// quonder-cli as a command in a pipeline: output that cannot be written, and an interruption.
#include <signal.h>

#include <string>
#include <vector>

#include "cli/cli_run.h"

namespace quonder::testing {
namespace {

class StreamsCliTest : public CliTest {};

// Output a script never receives is an error, never a silent success: a full device or a
// closed standard output, for a few rows, for more rows than one block of output, and for
// every kind of output.
TEST_F(StreamsCliTest, OutputThatCannotBeWrittenIsAnError) {
  Write("tree/a.txt", "x x");
  std::string many;
  for (int i = 0; i < 20000; ++i) many += "x\n";
  Write("many/m.txt", many);
  const std::vector<std::vector<std::string>> commands = {
      {"find", "x", Tree()},
      {"find", "x", Path("many")},
      {"find", "-c", "x", Tree()},
      {"find", "--json", "x", Tree()},
      {"find", "--help"},
      {"--version"},
      {"replace", "--dry-run", "--replace", "y", "x", Tree()},
  };
  ProgramSetup full, closed;
  full.out_file = "/dev/full";
  closed.close_out = true;
  struct Target {
    ProgramSetup setup;
    std::string reason;
  };
  const std::vector<Target> targets = {
      {full, "No space left on device"},
      {closed, "Bad file descriptor"},
  };
  for (const Target& target : targets) {
    for (const std::vector<std::string>& args : commands) {
      const ProgramOutcome o = Run(args, target.setup);
      EXPECT_EQ(o.exit_code, 2) << args[0] << " " << args.back() << " " << target.reason;
      EXPECT_NE(o.err.find("cannot write to standard output: " + target.reason), std::string::npos)
          << o.err;
    }
  }
  EXPECT_EQ(Read("tree/a.txt"), "x x");
  // Quiet, nothing is written: the exit status alone tells.
  EXPECT_EQ(Run({"find", "-q", "x", Tree()}, closed).exit_code, 0);
}

// Ctrl+C ends a replace between files: no file is left half written, no temporary file stays
// behind, and the program ends as interrupted, so that a calling script stops too.
TEST_F(StreamsCliTest, AnInterruptedReplaceLeavesEveryFileWhole) {
  Write("tree/a.txt", "x x");
  Write("tree/b.txt", "x");
  ProgramSetup interrupted;
  interrupted.pending_signal = SIGINT;
  const ProgramOutcome o = Run({"replace", "--replace", "y", "x", Tree()}, interrupted);
  EXPECT_EQ(o.signal, SIGINT) << o.exit_code << o.out << o.err;
  EXPECT_EQ(scratch_.Files("tree"), (std::vector<std::string>{"a.txt", "b.txt"}));
  EXPECT_EQ(Read("tree/a.txt"), "x x");
  EXPECT_EQ(Read("tree/b.txt"), "x");
}

}  // namespace
}  // namespace quonder::testing
