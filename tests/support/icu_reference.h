// ICU's own converter, used the way the text codec promises to decode, as the reference its
// tests compare against: U+FFFD for every invalid sequence, and the control codes that IBM's
// PC tables rotate (SUB, FS, DEL) put back in place.
#pragma once

#include <unicode/ucnv.h>

#include <map>
#include <string>

namespace quonder::testing {

class IcuReference {
 public:
  // `icu_name` as ICU names converters (see ResolveCharset).
  explicit IcuReference(const std::string& icu_name);
  ~IcuReference();
  IcuReference(const IcuReference&) = delete;
  IcuReference& operator=(const IcuReference&) = delete;

  // False when ICU has no such converter.
  bool ok() const { return converter_ != nullptr; }
  // `bytes` decoded whole; `substituted` tells whether any U+FFFD stands for invalid bytes.
  std::u16string Decode(const std::string& bytes, bool& substituted);

 private:
  UConverter* converter_ = nullptr;
  bool substituted_ = false;
  std::map<char16_t, char16_t> unrotate_;
};

}  // namespace quonder::testing
