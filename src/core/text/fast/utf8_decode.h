// UTF-8 to UTF-16 without a converter: ASCII runs are widened in vector steps, two- and
// three-byte sequences take a short path, and everything else goes through ICU's own
// U8_NEXT, so that ill-formed input yields exactly what ICU's UTF-8 converter yields (one
// U+FFFD per maximal ill-formed subpart).
#pragma once

#include <string>
#include <string_view>

namespace quonder {

// Decodes `bytes` into `text`, replacing its content and reusing its capacity. `lossy` tells
// whether some bytes were ill-formed and became U+FFFD.
void DecodeUtf8(std::string_view bytes, std::u16string& text, bool& lossy);

}  // namespace quonder
