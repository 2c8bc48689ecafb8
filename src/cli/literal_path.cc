#include "cli/literal_path.h"

#include <stdlib.h>

namespace quonder {

void KeepPathLiteral(const std::string& path) {
  // The expansion looks up, for a '%' it meets, the text up to the next '%' that leaves a name
  // of at least one character. Clearing that name for every '%' covers whichever ones the scan
  // meets, and as nothing is then replaced, the text it scans stays this one.
  for (size_t open = path.find('%'); open != std::string::npos; open = path.find('%', open + 1)) {
    const size_t close = path.find('%', open + 2);
    if (close == std::string::npos) break;
    const std::string name = path.substr(open + 1, close - open - 1);
    if (name.find('=') == std::string::npos) ::unsetenv(name.c_str());
  }
}

}  // namespace quonder
