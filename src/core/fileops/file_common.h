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

// A folder value as the file system is to see it: ExpandEnvVariables of `value`, or `value`
// itself when it is `literal` (given on a command line, whose shell has expanded it already).
std::string ExpandFolder(const std::string& value, bool literal);

// True when the folder exists on return; creates missing parents. False when a parent part is
// empty, or creation fails (folders made up to then stay).
bool CreateFolderPath(const std::string& path);

// Deletes the folder and everything below it; one trailing '/' is ignored. Links inside are
// removed, never followed; a link given as `path` is removed itself. A read-only file (no
// owner write bit) stops the delete unless `force` is set; with `force`, read-only folders are
// made writable first so that their contents can go. False when there was no such folder (the
// root "/" counts as none) or something could not be deleted; what was deleted stays deleted.
bool DeleteFolderTree(const std::string& path, bool force);

bool FolderExists(const std::string& path);  // false for an empty path
bool FileExists(const std::string& path);    // a regular file (or a link to one)

// `folder` and `name` joined with exactly one '/' (none added when folder ends with one or is
// empty; a leading '/' of `name` is not doubled).
std::string BuildPath(const std::string& folder, const std::string& name);
// The path without its last component and the separators before it; trailing separators are
// ignored. "" when there is no parent part: a bare name, "" and the root "/" itself. A
// component right below the root has the root "/" as its parent ("/a" gives "/").
std::string GetParentFolderName(const std::string& path);
// The last component of the path, trailing separators ignored ("/a/b/" gives "b", "/" "").
std::string GetFileName(const std::string& path);
// The text after the last '.' of the last component, "" when there is none.
std::string GetExtensionName(const std::string& path);

// Copies one file (content and permission bits) with WriteFileAtomically's rules: a failed
// copy never leaves a half-written target, and a target that is a symbolic link stays one (the
// file it leads to is replaced). Fails when the source is not a file, the destination folder is
// missing, the target exists and !overwrite, the target is a folder, the same file, not
// writable, or marked read-only (no write bit; honoured for root too). On failure `why`, when
// given, says which (or what the file system said).
bool CopyFile(const std::string& source, const std::string& destination, bool overwrite,
              std::string* why = nullptr);
// Copies the contents of `source` with all subfolders into `destination`, creating what is
// missing; with `overwrite`, existing files of the same relative path are replaced. A file
// that cannot be copied (or exists, without `overwrite`) does not stop the others; the result
// is then false. Links to folders are not followed (and count as not copied). A destination
// inside the source, or equal to it, is refused.
bool CopyFolder(const std::string& source, const std::string& destination, bool overwrite);

// True when `path` is `folder` itself or lies below it, after links and "." / ".." are
// resolved (missing trailing parts are taken as written): where a write to `path` would land.
// `relative` (when not null) receives the part below `folder`, '/' separated, "." for the
// folder itself.
bool IsInsideFolder(const std::string& path, const std::string& folder,
                    std::string* relative = nullptr);

// TEMP, else TMPDIR, else /tmp.
std::string TempFolder();

}  // namespace quonder
