#include "core/settings/ini_file_common.h"

#include <cstddef>
#include <string>
#include <vector>

#include "core/settings/ini_profile.h"
#include "core/text/string_common.h"

namespace quonder {
namespace {

constexpr size_t kValueBufferSize = 1024;
// Holds the longest list the program writes: the keys "0" to "1023" of a full history.
constexpr size_t kKeyListBufferSize = 4096;

bool Report(const Status& status, Status* failure) {
  if (!status.ok() && failure != nullptr) *failure = status;
  return status.ok();
}

// A value as the file holds it: cut at NUL, spaces (only U+0020) trimmed, escaped.
std::string StoredForm(const std::string& value) {
  std::string stored = CutAtNull(value);
  size_t first = stored.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  return EscapeControlChars(stored.substr(first, stored.find_last_not_of(' ') - first + 1));
}

}  // namespace

IniSnapshot::IniSnapshot(const std::string& file) : status_(LoadProfile(file, document_)) {}

int32_t IniSnapshot::GetIniString(const std::string& section, const std::string& key,
                                  const std::string& default_value, std::string& value) const {
  std::string delivered;
  int32_t count =
      GetProfileValue(document_, section, key, default_value, delivered, kValueBufferSize);
  value = UnescapeControlChars(CutAtNull(delivered));
  return count;
}

std::string IniSnapshot::Get(const std::string& section, const std::string& key,
                             const std::string& default_value) const {
  std::string value;
  GetIniString(section, key, default_value, value);
  return value;
}

int32_t IniSnapshot::GetIniKeys(const std::string& section, std::vector<std::string>& keys) const {
  keys.clear();
  std::string list;
  int32_t count = GetProfileKeyList(document_, section, list, kKeyListBufferSize);
  if (count <= 0) return 0;
  // Drop the NUL that ends the last name; what is left splits into the names.
  std::string names = list.substr(0, static_cast<size_t>(count) - 1);
  size_t start = 0;
  for (;;) {
    size_t nul = names.find('\0', start);
    keys.push_back(names.substr(start, nul - start));
    if (nul == std::string::npos) break;
    start = nul + 1;
  }
  return static_cast<int32_t>(keys.size());
}

int32_t GetIniString(const std::string& section, const std::string& key,
                     const std::string& default_value, std::string& value,
                     const std::string& file) {
  return IniSnapshot(file).GetIniString(section, key, default_value, value);
}

bool WriteIniString(const std::string& section, const std::string& key, const std::string& value,
                    const std::string& file, Status* failure) {
  return WriteIniStrings(section, {{key, value}}, file, failure);
}

bool WriteIniStrings(const std::string& section,
                     const std::vector<std::pair<std::string, std::string>>& values,
                     const std::string& file, Status* failure) {
  std::vector<std::pair<std::string, std::string>> stored;
  stored.reserve(values.size());
  for (const auto& [key, value] : values) stored.emplace_back(key, StoredForm(value));
  return Report(WriteProfileValues(section, stored, file), failure);
}

bool UpdateIniStrings(
    const std::string& section,
    const std::function<std::vector<std::pair<std::string, std::string>>(const IniSnapshot&)>&
        values_for,
    const std::string& file, Status* failure) {
  auto stored_values_for = [&values_for](const IniDocument& document) {
    std::vector<std::pair<std::string, std::string>> values = values_for(IniSnapshot(document));
    for (auto& entry : values) entry.second = StoredForm(entry.second);
    return values;
  };
  return Report(UpdateProfileValues(section, stored_values_for, file), failure);
}

int32_t GetIniKeys(const std::string& section, std::vector<std::string>& keys,
                   const std::string& file) {
  return IniSnapshot(file).GetIniKeys(section, keys);
}

bool DeleteIniKey(const std::string& section, const std::string& key, const std::string& file,
                  Status* failure) {
  return Report(DeleteProfileKey(section, key, file), failure);
}

}  // namespace quonder
