// The only code that touches INI files (settings, histories, the code set table). Every call
// reads or writes the file anew; nothing is cached. Names and values are UTF-8; values are
// stored in the escaped form of string_common.h. Never throws and never crashes on a missing,
// unreadable, binary or malformed file: reads give the default, writes return false.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quonder {

// Value of the first `key` of the first `section` (names compared without regard to ASCII
// case), trimmed of blanks and of one pair of enclosing quotes, cut at 1023 bytes (never inside
// a UTF-8 sequence) and at its first NUL, then unescaped. `default_value` is given in escaped
// form and is unescaped the same way. Returns the number of bytes the profile read delivered.
int32_t GetIniString(const std::string& section, const std::string& key,
                     const std::string& default_value, std::string& value, const std::string& file);

// Cuts `value` at NUL, trims spaces (only U+0020), escapes it, and sets the key: replacing the
// first matching key's line, or appending the key at the end of its section, or the section at
// the end of the file, or creating the file. Every other byte of the file is kept (comments,
// blank lines, unknown sections, line-end style). The rewrite is atomic. False, with the file
// untouched, when it cannot be rewritten: missing folder, no permission, a binary or non-UTF-8
// file, or a name that would not read back (empty, with '=' or ']', a line break...).
bool WriteIniString(const std::string& section, const std::string& key, const std::string& value,
                    const std::string& file);

// Key names of `section` in file order (as fit a 4096-byte NUL-separated list). 0 when the
// file or section is missing or empty.
int32_t GetIniKeys(const std::string& section, std::vector<std::string>& keys,
                   const std::string& file);

// Removes the key's line. True when the file is as asked afterwards (also when there was no
// such key); false when the file could not be rewritten.
bool DeleteIniKey(const std::string& section, const std::string& key, const std::string& file);

}  // namespace quonder
