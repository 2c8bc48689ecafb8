// The four profile operations over a UTF-8 INI file that the settings access is built on: read
// a value, list the keys of a section, write a value, delete a key. How lines, names and values
// are read is described in ini_document.h. No state lives between calls: the reads work on a
// document loaded by LoadProfile, and each write loads the file anew and replaces it, holding
// the lock of the file's folder from the read to the rename (folder_lock.h), so that edits
// made at the same moment by several threads or programs all survive (ini_file_common.h is the
// interface the program uses; these are its building blocks).
//
// Files that cannot be handled never crash a call, hang it or make it take unbounded memory
// (settings_file_io.h): a missing file reads as empty; an unreadable one (not a regular file,
// over 16 MB, no permission) or a binary one (NUL bytes) reads as empty too, and the load says
// why. A write refuses (file untouched) when the file cannot be read, is binary, is not valid
// UTF-8 (new text would mix encodings), holds text but no INI section (a document, not a
// settings file: settings_file_check.h), is read-only, or when its folder is missing. A delete
// only takes lines out, so it also works on a file in another 8-bit encoding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/settings/ini_document.h"
#include "core/status.h"

namespace quonder {

// Loads `file` for the reads below. A missing file gives an empty document and OK; a file that
// cannot be read or is binary gives an empty document and the reason.
Status LoadProfile(const std::string& file, IniDocument& document);

// Operation 1. Delivers into `buffer` the value of the first `key` of the first `section`, or
// `default_value` when the section or key is missing; either one is cut to at most
// `buffer_size` - 1 bytes, backing off so that no UTF-8 sequence is split, and at its first NUL.
// Returns the number of bytes delivered. A `buffer_size` of 0 delivers nothing.
int32_t GetProfileValue(const IniDocument& document, const std::string& section,
                        const std::string& key, const std::string& default_value,
                        std::string& buffer, size_t buffer_size);

// Operation 2. Delivers into `buffer` the key names of the first `section` in file order (each
// name once), each followed by a NUL, and a closing NUL; returns the count of bytes without
// that closing NUL (0, and `buffer` empty, when the section is missing or has no keys). The
// list with its closing NUL fits in `buffer_size` bytes: names that do not fit whole are
// dropped, together with every name after them, so the list is always a prefix of the
// section's keys.
int32_t GetProfileKeyList(const IniDocument& document, const std::string& section,
                          std::string& buffer, size_t buffer_size);

// Operation 3. Sets the key's value (see IniDocument::SetValue for where new lines go),
// creating the file when missing. The file is not rewritten when nothing changes. An error
// when a name or the value cannot be stored on one line so as to read back the same (see
// IsWritableKeyName and friends), or when the file cannot be rewritten.
Status WriteProfileValue(const std::string& section, const std::string& key,
                         const std::string& value, const std::string& file);

// Operation 3 for several keys of one section at once, in one rewrite: {key, value} pairs, set
// in order. All or nothing: when one pair cannot be stored, nothing is written.
Status WriteProfileValues(const std::string& section,
                          const std::vector<std::pair<std::string, std::string>>& values,
                          const std::string& file);

// Operation 3 for values that depend on what the file holds: `values_for` is given the file as
// it stands, read under the lock that is held until the rewrite is in place, so that no edit
// by another thread or program comes between that reading and the write; the pairs it returns
// are then set as WriteProfileValues sets them. It is not called when the file cannot be read
// (its reason is the result). It must not edit a settings file itself (that would wait for the
// lock held around it).
Status UpdateProfileValues(
    const std::string& section,
    const std::function<std::vector<std::pair<std::string, std::string>>(const IniDocument&)>&
        values_for,
    const std::string& file);

// Operation 4. Removes every line of the key in its (first) section. OK when the key is gone
// afterwards, also when the file, section or key was missing (nothing is written then); an
// error when the file could not be read or rewritten.
Status DeleteProfileKey(const std::string& section, const std::string& key,
                        const std::string& file);

}  // namespace quonder
