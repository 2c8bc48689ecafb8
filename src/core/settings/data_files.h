// Where the program's read-only data files (CharCodeSet.ini, readme.txt) are found. In a build
// tree or a portable copy they lie beside the program; installed, the program is in bin/ and
// its data in share/quonder/ (the path from one to the other is fixed when the program is
// configured, normally "../share/quonder").
#pragma once

#include <string>

namespace quonder {

// The path of the data file `name` for the program in `program_folder`: the file beside the
// program when it exists, else the installed one when that exists, else the path beside the
// program (so that a message about a missing file names the first place looked at). The
// installed path is normalised ("/usr/bin/../share" gives "/usr/share").
std::string FindDataFile(const std::string& program_folder, const std::string& name);

// The folder that FindDataFile's path lies in.
std::string FindDataFolder(const std::string& program_folder, const std::string& name);

}  // namespace quonder
