#include "core/settings/data_files.h"

#include <filesystem>

#include "core/fileops/file_common.h"

#ifndef QUONDER_DATA_FROM_BIN
#define QUONDER_DATA_FROM_BIN "../share/quonder"
#endif

namespace quonder {

std::string FindDataFile(const std::string& program_folder, const std::string& name) {
  const std::string beside = BuildPath(program_folder, name);
  if (FileExists(beside)) return beside;
  const std::string installed =
      std::filesystem::path(BuildPath(BuildPath(program_folder, QUONDER_DATA_FROM_BIN), name))
          .lexically_normal()
          .string();
  return FileExists(installed) ? installed : beside;
}

std::string FindDataFolder(const std::string& program_folder, const std::string& name) {
  return GetParentFolderName(FindDataFile(program_folder, name));
}

}  // namespace quonder
