// Where quonder-cli is installed: its data files (CharCodeSet.ini) lie beside it or in the
// installed data folder (core/settings/data_files.h).
#pragma once

#include <string>
#include <vector>

#include "core/status.h"

namespace quonder {

// The folder of the running executable; "." when it cannot be found.
std::string ProgramFolder();

// The charset names of the program's code set table, in table order, and its default
// charset. When the table is missing or empty (a broken install): no names, "utf-8", and
// kNotFound naming where the table was looked for.
Status LoadCharsetChoices(std::vector<std::string>& names, std::string& default_charset);

}  // namespace quonder
