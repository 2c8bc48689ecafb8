#include "core/settings/ini_profile.h"

#include <unicode/utf8.h>

#include <optional>
#include <string>
#include <string_view>

#include "core/fileops/atomic_file.h"
#include "core/settings/folder_lock.h"
#include "core/settings/ini_document.h"

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

bool IsValidUtf8(std::string_view bytes) {
  const auto* s = reinterpret_cast<const uint8_t*>(bytes.data());
  int32_t length = static_cast<int32_t>(bytes.size());
  if (static_cast<size_t>(length) != bytes.size()) return false;
  for (int32_t i = 0; i < length;) {
    UChar32 c;
    U8_NEXT(s, i, length, c);
    if (c < 0) return false;
  }
  return true;
}

// The document to read from: empty for a missing, unreadable or binary file.
IniDocument LoadForReading(const std::string& file) {
  IniDocument document;
  std::string bytes;
  if (ReadWholeFile(file, bytes).ok()) document.Parse(bytes);
  return document;
}

enum class Loaded { kExisting, kMissing, kUnusable };

// The document to edit. kMissing leaves it empty; kUnusable means the file must not be
// rewritten (unreadable, binary, or not UTF-8 when new text is to go in).
Loaded LoadForEditing(const std::string& file, bool adds_text, IniDocument& document,
                      std::string& bytes) {
  Status status = ReadWholeFile(file, bytes);
  if (status.code() == Status::Code::kNotFound) return Loaded::kMissing;
  if (!status.ok() || (adds_text && !IsValidUtf8(bytes)) || !document.Parse(bytes)) {
    return Loaded::kUnusable;
  }
  return Loaded::kExisting;
}

bool Store(const std::string& file, const IniDocument& document, const std::string& old_bytes,
           Loaded loaded) {
  std::string bytes = document.Serialize();
  if (loaded == Loaded::kExisting && bytes == old_bytes) return true;
  return WriteFileAtomically(file, bytes).ok();
}

}  // namespace

int32_t GetProfileValue(const std::string& section, const std::string& key,
                        const std::string& default_value, std::string& buffer, size_t buffer_size,
                        const std::string& file) {
  buffer.clear();
  if (buffer_size == 0) return 0;
  std::optional<std::string> value = LoadForReading(file).FindValue(section, key);
  buffer = CutToBuffer(value ? *value : default_value, buffer_size - 1);
  return static_cast<int32_t>(buffer.size());
}

int32_t GetProfileKeyList(const std::string& section, std::string& buffer, size_t buffer_size,
                          const std::string& file) {
  buffer.clear();
  for (const std::string& name : LoadForReading(file).KeyNames(section)) {
    // The name, its NUL and the closing NUL must all fit.
    if (buffer.size() + name.size() + 2 > buffer_size) break;
    buffer += name;
    buffer.push_back('\0');
  }
  int32_t count = static_cast<int32_t>(buffer.size());
  if (count > 0) buffer.push_back('\0');
  return count;
}

bool WriteProfileValue(const std::string& section, const std::string& key, const std::string& value,
                       const std::string& file) {
  if (!IsWritableSectionName(section) || !IsWritableKeyName(key) || !IsWritableValue(value)) {
    return false;
  }
  FolderLock lock(file);
  IniDocument document;
  std::string old_bytes;
  Loaded loaded = LoadForEditing(file, /*adds_text=*/true, document, old_bytes);
  if (loaded == Loaded::kUnusable) return false;
  document.SetValue(section, key, value);
  return Store(file, document, old_bytes, loaded);
}

bool DeleteProfileKey(const std::string& section, const std::string& key, const std::string& file) {
  FolderLock lock(file);
  IniDocument document;
  std::string old_bytes;
  Loaded loaded = LoadForEditing(file, /*adds_text=*/false, document, old_bytes);
  if (loaded == Loaded::kMissing) return true;
  if (loaded == Loaded::kUnusable) return false;
  if (!document.RemoveKey(section, key)) return true;
  return Store(file, document, old_bytes, loaded);
}

}  // namespace quonder
