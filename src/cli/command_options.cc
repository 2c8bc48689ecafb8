#include "cli/command_options.h"

#include <cstdio>

namespace quonder {

int ParseCommandOption(const std::vector<std::string>& args, size_t index, bool with_rows,
                       CommandOptions& options) {
  const std::string& arg = args[index];
  if (arg == "-q" || arg == "--quiet") {
    options.quiet = true;
  } else if (with_rows && (arg == "-c" || arg == "--count")) {
    options.count = true;
  } else if (with_rows && arg == "--json") {
    options.json = true;
  } else if (arg == "--version") {
    options.version = true;
  } else {
    return 0;
  }
  return 1;
}

std::string CommandOptionsHelp(bool with_rows) {
  std::string help =
      "  -q, --quiet          print nothing on standard output: the exit status tells";
  help += with_rows ? " (the\n                       run ends at the first hit)\n" : "\n";
  if (with_rows) {
    help +=
        "  -c, --count          one line per file with hits instead of the rows: File Path\n"
        "                       and its number of hits, separated by a tab\n"
        "      --json           one JSON object per row (or count) instead of tab-separated\n"
        "                       cells\n";
  }
  help += "      --version        print the version and exit\n";
  return help;
}

void PrintVersion() { std::printf("quonder-cli %s\n", QUONDER_VERSION); }

}  // namespace quonder
