#include "cli/program_folder.h"

#include <unistd.h>

#include "core/fileops/file_common.h"
#include "core/settings/data_files.h"
#include "core/text/char_code.h"

namespace quonder {

std::string ProgramFolder() {
  std::string path(4096, '\0');
  ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
  if (length <= 0 || static_cast<size_t>(length) >= path.size()) return ".";
  path.resize(static_cast<size_t>(length));
  std::string folder = GetParentFolderName(path);
  return folder.empty() ? "/" : folder;
}

Status LoadCharsetChoices(std::vector<std::string>& names, std::string& default_charset) {
  std::vector<CharCodeEntry> sets;
  const std::string table = FindDataFile(ProgramFolder(), "CharCodeSet.ini");
  const bool loaded = LoadCharCodeSet(GetParentFolderName(table), sets);
  names.clear();
  for (const CharCodeEntry& entry : sets) names.push_back(entry.Name);
  default_charset = DefaultCharset(sets);
  if (loaded) return Status::Ok();
  return Status::Error(Status::Code::kNotFound,
                       "no code set table: \"" + table +
                           "\" is missing or empty (installed in part?); name the charset with "
                           "--coding");
}

}  // namespace quonder
