// UTF-8 <-> UTF-16 for the find run's own needs: paths (UTF-8) shown in status texts, find
// texts turned into the bytes a UTF-8 file must hold, and rows printed as UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace quonder {

// Appends the UTF-8 form of `text`; an unpaired surrogate becomes U+FFFD.
void AppendUtf8(std::u16string_view text, std::string& out);
std::string ToUtf8(std::u16string_view text);

// The exact UTF-8 form of `text`; false (and `out` unspecified) when it holds an unpaired
// surrogate, which no UTF-8 can encode.
bool EncodeUtf8Strictly(std::u16string_view text, std::string& out);

// `bytes` read as UTF-8; every invalid sequence becomes U+FFFD.
std::u16string ToUtf16(std::string_view bytes);

// True when `bytes` is well-formed UTF-8 (no overlong form, no surrogate, nothing above
// U+10FFFF): exactly the bytes a UTF-8 decoder turns into text without a U+FFFD of its own.
bool IsValidUtf8(std::string_view bytes);

// The number of UTF-16 code units that valid UTF-8 `bytes` decode to.
size_t Utf16Length(std::string_view valid_utf8);

// The number of UTF-16 code units that `bytes` decode to when every maximal ill-formed
// subpart becomes one U+FFFD (as ToUtf16 and the UTF-8 decoder do).
size_t Utf16LengthLossy(std::string_view bytes);

// Replaces `text` with the decoding of valid UTF-8 `bytes`.
void DecodeValidUtf8(std::string_view valid_utf8, std::u16string& text);

}  // namespace quonder
