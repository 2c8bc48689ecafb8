// quonder-cli: the find engine from the command line. Each command is one entry of the table
// below; a new command adds its header and one line.
#include <cstdio>
#include <cstring>

#include "cli/command_options.h"
#include "cli/find_command.h"
#include "cli/replace_command.h"
#include "cli/standard_streams.h"

namespace {

struct Command {
  const char* name;
  // Receives the arguments from the command's name on: argv[0] is the name.
  int (*run)(int argc, char** argv);
  const char* usage;
};

constexpr Command kCommands[] = {
    {"find", quonder::RunFindCommand, "find [options] FIND_TEXT FOLDER"},
    {"replace", quonder::RunReplaceCommand, "replace [options] --replace TEXT FIND_TEXT FOLDER"},
};

void PrintUsage(std::FILE* out) {
  std::fputs("usage:\n", out);
  for (const Command& command : kCommands) std::fprintf(out, "  quonder-cli %s\n", command.usage);
  std::fputs("  quonder-cli --version\n", out);
  std::fputs("Run \"quonder-cli COMMAND --help\" for the options of a command.\n", out);
  std::fputs("Exit status: 0 found (replaced), 1 nothing found, 2 an error.\n", out);
}

}  // namespace

int main(int argc, char** argv) {
  quonder::KeepStandardDescriptorsOpen();
  if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    PrintUsage(stdout);
    return quonder::FinishStandardOutput(quonder::kExitFound);
  }
  if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
    quonder::PrintVersion();
    return quonder::FinishStandardOutput(quonder::kExitFound);
  }
  if (argc > 1) {
    for (const Command& command : kCommands) {
      if (std::strcmp(argv[1], command.name) == 0) {
        return quonder::FinishStandardOutput(command.run(argc - 1, argv + 1));
      }
    }
    std::fprintf(stderr, "quonder-cli: unknown command \"%s\"\n", argv[1]);
  }
  PrintUsage(stderr);
  return quonder::kExitError;
}
