// Where quonder-cli is installed: its data files (CharCodeSet.ini) lie beside it or in the
// installed data folder (core/settings/data_files.h).
#pragma once

#include <string>
#include <vector>

namespace quonder {

// The folder of the running executable; "." when it cannot be found.
std::string ProgramFolder();

// The charset names of the program's code set table, in table order, and its default
// charset ("utf-8" when the table is missing).
void LoadCharsetChoices(std::vector<std::string>& names, std::string& default_charset);

}  // namespace quonder
