// The folder a fuzz target writes its files in: one per process, made on first use under /tmp
// and removed at a normal exit; a crash leaves it for a look.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

namespace quonder {

inline const std::string& FuzzFolder() {
  static char path[] = "/tmp/quonder-fuzz-XXXXXX";
  static const std::string folder = [] {
    if (mkdtemp(path) == nullptr) std::abort();
    std::atexit([] { std::filesystem::remove_all(path); });
    return std::string(path);
  }();
  return folder;
}

}  // namespace quonder
