// What every quonder-cli command takes beside the find options: the exit statuses, --version,
// and the options for scripts, --quiet, and for a command that prints rows, --count and --json.
#pragma once

#include <string>
#include <vector>

namespace quonder {

// Exit statuses, as grep and ripgrep use them.
enum ExitStatus : int {
  kExitFound = 0,    // find: at least one hit; replace: every hit found was replaced
  kExitNothing = 1,  // nothing was found
  kExitError = 2,    // wrong usage, a run that could not start, or something left out
};

struct CommandOptions {
  bool quiet = false;    // -q, --quiet: nothing on standard output (default off)
  bool count = false;    // -c, --count: the hits per file instead of the rows (default off)
  bool json = false;     // --json: one JSON object per row or count (default off)
  bool version = false;  // --version: print the version and do nothing else (default off)
};

// Looks at args[index] for one of the options above (--count and --json only `with_rows`);
// returns how many arguments it took: 1 for one of them, 0 for any other argument. Usable as
// (part of) the ExtraOptionParser of ParseFindOptions.
int ParseCommandOption(const std::vector<std::string>& args, size_t index, bool with_rows,
                       CommandOptions& options);

// The help lines of the options above (--count and --json only `with_rows`).
std::string CommandOptionsHelp(bool with_rows);

// Prints "quonder-cli VERSION" on standard output.
void PrintVersion();

}  // namespace quonder
