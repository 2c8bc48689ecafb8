// The one TextCodec implementation: an ICU converter, with shortcuts around it where the
// converter's own facts allow them (see converter_facts.h).
#pragma once

#include <memory>
#include <string>

#include "core/status.h"
#include "core/text/text_stream.h"

namespace quonder {

// Opens `icu_name` (as ResolveCharset gave it) for a codec that reports `name` as its name.
// kUnknownCharset naming `name` when ICU cannot open it.
Status OpenIcuCodec(const std::string& name, const std::string& icu_name,
                    std::unique_ptr<TextCodec>& codec);

}  // namespace quonder
