#include "support/icu_reference.h"

#include <unicode/ucnv_cb.h>

namespace quonder::testing {
namespace {

// Writes U+FFFD for an invalid, illegal or unassigned sequence and records that it did.
void U_CALLCONV Substitute(const void* context, UConverterToUnicodeArgs* args, const char*, int32_t,
                           UConverterCallbackReason reason, UErrorCode* err) {
  if (reason > UCNV_IRREGULAR) return;
  *static_cast<bool*>(const_cast<void*>(context)) = true;
  static const UChar kReplacement = 0xFFFD;
  *err = U_ZERO_ERROR;
  ucnv_cbToUWriteUChars(args, &kReplacement, 1, 0, err);
}

}  // namespace

IcuReference::IcuReference(const std::string& icu_name) {
  UErrorCode err = U_ZERO_ERROR;
  converter_ = ucnv_open(icu_name.c_str(), &err);
  if (U_FAILURE(err)) {
    if (converter_ != nullptr) ucnv_close(converter_);
    converter_ = nullptr;
    return;
  }
  ucnv_setToUCallBack(converter_, Substitute, &substituted_, nullptr, nullptr, &err);
  bool ignored = false;
  for (char control : {'\x1A', '\x1C', '\x7F'}) {
    const std::u16string unit = Decode(std::string(1, control), ignored);
    if (unit.size() == 1 && unit[0] < 0x80)
      unrotate_[unit[0]] = static_cast<unsigned char>(control);
  }
}

IcuReference::~IcuReference() {
  if (converter_ != nullptr) ucnv_close(converter_);
}

std::u16string IcuReference::Decode(const std::string& bytes, bool& substituted) {
  substituted_ = false;
  std::u16string out(bytes.size() * 2 + 16, u'\0');
  UChar* target = out.data();
  const char* source = bytes.data();
  UErrorCode err = U_ZERO_ERROR;
  ucnv_resetToUnicode(converter_);
  ucnv_toUnicode(converter_, &target, out.data() + out.size(), &source, bytes.data() + bytes.size(),
                 nullptr, true, &err);
  out.resize(static_cast<size_t>(target - out.data()));
  for (char16_t& unit : out) {
    auto found = unrotate_.find(unit);
    if (found != unrotate_.end()) unit = found->second;
  }
  substituted = substituted_;
  return out;
}

}  // namespace quonder::testing
