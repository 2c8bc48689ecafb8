// The only code that touches INI files (settings, histories, the code set table). Every call
// reads or writes the file anew; nothing is cached between calls. Names and values are UTF-8;
// values are stored in the escaped form of string_common.h. Never throws, never crashes and
// never blocks on a missing, unreadable, binary, huge or malformed file, nor on a FIFO or a
// device (settings_file_io.h): reads give the default, writes return false.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/settings/ini_document.h"
#include "core/status.h"

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
// blank lines, unknown sections, line-end style). The rewrite is atomic where the folder
// allows it. False, with the file untouched, when it cannot be rewritten: missing folder, no
// permission, a read-only, binary, non-UTF-8 or unreadable file, a file of text without any
// [section] line (settings_file_check.h), or a name that would not read back (empty, with '='
// or ']', a line break...); `failure`, when given, then says why.
bool WriteIniString(const std::string& section, const std::string& key, const std::string& value,
                    const std::string& file, Status* failure = nullptr);

// WriteIniString for several {key, value} pairs of one section, in one rewrite of the file; all
// or nothing.
bool WriteIniStrings(const std::string& section,
                     const std::vector<std::pair<std::string, std::string>>& values,
                     const std::string& file, Status* failure = nullptr);

class IniSnapshot;

// WriteIniStrings for values that depend on what the file holds: `values_for` is given a
// reading of the file made under the lock held for the rewrite, so that no edit by another
// thread or program comes between that reading and the write (a read-modify-write, such as a
// history's shift, loses nothing to a concurrent one). It is not called when the file cannot
// be read, and must not edit a settings file itself.
bool UpdateIniStrings(
    const std::string& section,
    const std::function<std::vector<std::pair<std::string, std::string>>(const IniSnapshot&)>&
        values_for,
    const std::string& file, Status* failure = nullptr);

// Key names of `section` in file order (as fit a 4096-byte NUL-separated list). 0 when the
// file or section is missing or empty.
int32_t GetIniKeys(const std::string& section, std::vector<std::string>& keys,
                   const std::string& file);

// Removes the key's line. True when the file is as asked afterwards (also when there was no
// such key); false when the file could not be rewritten, with the reason in `failure`.
bool DeleteIniKey(const std::string& section, const std::string& key, const std::string& file,
                  Status* failure = nullptr);

// One reading of a file for a caller that reads many values in a row (a settings load, a
// history): each read gives what GetIniString and GetIniKeys on the file would give, as long
// as nothing writes the file in between. Reads the file once, at construction.
class IniSnapshot {
 public:
  explicit IniSnapshot(const std::string& file);
  // A reading already made (status OK).
  explicit IniSnapshot(IniDocument document) : document_(std::move(document)) {}

  // OK for a readable or missing file; otherwise why the file could not be read (it then
  // reads as empty).
  const Status& status() const { return status_; }

  int32_t GetIniString(const std::string& section, const std::string& key,
                       const std::string& default_value, std::string& value) const;
  // The value alone.
  std::string Get(const std::string& section, const std::string& key,
                  const std::string& default_value) const;
  int32_t GetIniKeys(const std::string& section, std::vector<std::string>& keys) const;
  // Whether the section holds the key (with any value, an empty one included).
  bool HasKey(const std::string& section, const std::string& key) const {
    return document_.FindValue(section, key).has_value();
  }

 private:
  IniDocument document_;
  Status status_;
};

}  // namespace quonder
