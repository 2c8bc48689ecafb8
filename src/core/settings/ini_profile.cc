#include "core/settings/ini_profile.h"

#include <unicode/utf8.h>

#include <optional>
#include <string>
#include <string_view>

#include "core/settings/folder_lock.h"
#include "core/settings/settings_file_check.h"
#include "core/settings/settings_file_io.h"
#include "core/text/utf_convert.h"

namespace quonder {
namespace {

// Largest prefix of `text` of at most `max_bytes` bytes that ends on a UTF-8 character
// boundary. Only up to three bytes are given back, so a run of stray continuation bytes in a
// broken file cannot swallow the whole value.
std::string CutToBuffer(std::string_view text, size_t max_bytes) {
  text = text.substr(0, text.find('\0'));
  if (text.size() <= max_bytes) return std::string(text);
  size_t cut = max_bytes;
  for (int back = 0; back < 3 && cut > 0 && U8_IS_TRAIL(static_cast<uint8_t>(text[cut])); ++back) {
    --cut;
  }
  if (U8_IS_TRAIL(static_cast<uint8_t>(text[cut]))) cut = max_bytes;
  return std::string(text.substr(0, cut));
}

Status Refused(const std::string& file, const char* why) {
  return Status::Error(Status::Code::kIoError, "Cannot write \"" + file + "\": " + why);
}

// The document to edit, with the bytes it was parsed from. kNotFound leaves it empty (a new
// file); any other error means the file must not be rewritten (unreadable, binary, or, when
// new text is to go in, not UTF-8 or not INI text: a document named as the settings file).
Status LoadForEditing(const std::string& file, bool adds_text, IniDocument& document,
                      std::string& bytes) {
  Status status = ReadSettingsFile(file, bytes);
  if (status.code() == Status::Code::kNotFound) return status;
  if (!status.ok()) return status;  // what cannot be read is kept as it is
  if (adds_text && !IsValidUtf8(bytes)) return Refused(file, "it is not UTF-8 text");
  if (!document.Parse(bytes)) return Refused(file, "it is not a text file");
  if (const char* why = adds_text ? SettingsTextRefusal(bytes) : nullptr) {
    return Refused(file, why);
  }
  return Status::Ok();
}

// Why one of the pairs cannot be stored so as to read back the same; OK when all can.
Status Unstorable(const std::string& section,
                  const std::vector<std::pair<std::string, std::string>>& values,
                  const std::string& file) {
  for (const auto& [key, value] : values) {
    if (!IsWritableSectionName(section) || !IsWritableKeyName(key) || !IsWritableValue(value)) {
      return Status::Error(Status::Code::kInvalidArgument,
                           "Cannot write [" + section + "] " + key + " to \"" + file +
                               "\": the name or value would not read back the same");
    }
  }
  return Status::Ok();
}

Status Store(const std::string& file, const IniDocument& document, const std::string& old_bytes,
             bool existed) {
  std::string bytes = document.Serialize();
  if (existed && bytes == old_bytes) return Status::Ok();
  return WriteSettingsFile(file, bytes);
}

}  // namespace

Status LoadProfile(const std::string& file, IniDocument& document) {
  document = IniDocument();
  std::string bytes;
  Status status = ReadSettingsFile(file, bytes);
  if (status.code() == Status::Code::kNotFound) return Status::Ok();
  if (!status.ok()) return status;
  if (!document.Parse(bytes)) {
    return Status::Error(Status::Code::kIoError,
                         "Cannot read \"" + file + "\": not a text file (it holds NUL bytes)");
  }
  return Status::Ok();
}

int32_t GetProfileValue(const IniDocument& document, const std::string& section,
                        const std::string& key, const std::string& default_value,
                        std::string& buffer, size_t buffer_size) {
  buffer.clear();
  if (buffer_size == 0) return 0;
  std::optional<std::string> value = document.FindValue(section, key);
  buffer = CutToBuffer(value ? *value : default_value, buffer_size - 1);
  return static_cast<int32_t>(buffer.size());
}

int32_t GetProfileKeyList(const IniDocument& document, const std::string& section,
                          std::string& buffer, size_t buffer_size) {
  buffer.clear();
  for (const std::string& name : document.KeyNames(section)) {
    // The name, its NUL and the closing NUL must all fit.
    if (buffer.size() + name.size() + 2 > buffer_size) break;
    buffer += name;
    buffer.push_back('\0');
  }
  int32_t count = static_cast<int32_t>(buffer.size());
  if (count > 0) buffer.push_back('\0');
  return count;
}

Status WriteProfileValue(const std::string& section, const std::string& key,
                         const std::string& value, const std::string& file) {
  return WriteProfileValues(section, {{key, value}}, file);
}

Status WriteProfileValues(const std::string& section,
                          const std::vector<std::pair<std::string, std::string>>& values,
                          const std::string& file) {
  // A refused name is told without a look at the file.
  if (Status refused = Unstorable(section, values, file); !refused.ok()) return refused;
  return UpdateProfileValues(
      section, [&values](const IniDocument&) { return values; }, file);
}

Status UpdateProfileValues(
    const std::string& section,
    const std::function<std::vector<std::pair<std::string, std::string>>(const IniDocument&)>&
        values_for,
    const std::string& file) {
  FolderLock lock(file);
  IniDocument document;
  std::string old_bytes;
  Status loaded = LoadForEditing(file, /*adds_text=*/true, document, old_bytes);
  if (!loaded.ok() && loaded.code() != Status::Code::kNotFound) return loaded;
  const std::vector<std::pair<std::string, std::string>> values = values_for(document);
  if (Status refused = Unstorable(section, values, file); !refused.ok()) return refused;
  for (const auto& [key, value] : values) document.SetValue(section, key, value);
  return Store(file, document, old_bytes, loaded.ok());
}

Status DeleteProfileKey(const std::string& section, const std::string& key,
                        const std::string& file) {
  FolderLock lock(file);
  IniDocument document;
  std::string old_bytes;
  Status loaded = LoadForEditing(file, /*adds_text=*/false, document, old_bytes);
  if (loaded.code() == Status::Code::kNotFound) return Status::Ok();
  if (!loaded.ok()) return loaded;
  if (!document.RemoveKey(section, key)) return Status::Ok();
  return Store(file, document, old_bytes, /*existed=*/true);
}

}  // namespace quonder
