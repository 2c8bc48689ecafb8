// Folder and path operations the find run and the file commands use. Paths are UTF-8 with '/'
// as the separator; nothing is normalised or made absolute here. None of these reports to the
// user: they return false (or empty) and callers decide what to say.
#pragma once

#include <string>

namespace quonder {

// Expands %NAME% references from the environment, quirks included: a name has at least one
// character, an unset or empty variable leaves its reference as written, every occurrence of a
// set reference is replaced at once, and the scan resumes at the closing '%' + 1 counted in the
// expanded text (not corrected for the value's length). Never fails.
std::string ExpandEnvVariables(std::string text);

// True when the folder exists on return; creates missing parents. False when a parent part is
// empty, or creation fails (folders made up to then stay).
bool CreateFolderPath(const std::string& path);

// Deletes the folder and everything below it; one trailing '/' is ignored. With `force`,
// read-only files and the contents of read-only folders go too. False when there was no such
// folder or something could not be deleted.
bool DeleteFolderTree(const std::string& path, bool force);

bool FolderExists(const std::string& path);  // false for an empty path
bool FileExists(const std::string& path);    // a regular file (or a link to one)

// `folder` and `name` joined with exactly one '/' (none added when folder ends with one or is
// empty).
std::string BuildPath(const std::string& folder, const std::string& name);
// The path without its last component and the separator before it; "" when there is none.
std::string GetParentFolderName(const std::string& path);
// The last component of the path.
std::string GetFileName(const std::string& path);
// The text after the last '.' of the name, "" when there is none.
std::string GetExtensionName(const std::string& path);

// Copies one file. Fails when the destination folder is missing, the target exists and
// !overwrite, or the target cannot be written.
bool CopyFile(const std::string& source, const std::string& destination, bool overwrite);
// Copies the contents of `source` with all subfolders into `destination`, creating what is
// missing; with `overwrite`, existing files of the same relative path are replaced.
bool CopyFolder(const std::string& source, const std::string& destination, bool overwrite);

// TEMP, else TMPDIR, else /tmp.
std::string TempFolder();

}  // namespace quonder
