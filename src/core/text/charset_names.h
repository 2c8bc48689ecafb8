// Which ICU converter stands behind a charset name. ICU matches aliases loosely and knows
// several tables under one name, so every name of the shipped code set table is pinned to one
// converter here; other names are handed to ICU as they are.
#pragma once

#include <string>

#include "core/status.h"

namespace quonder {

// Finds the ICU converter name for `charset` (case-insensitive for the pinned names; "unicode"
// and "utf-16" are UTF-16LE, "unicodeFFFE" UTF-16BE, "utf-32" UTF-32LE). Names that carry
// converter options (a comma or '='), the empty name and names ICU does not know give
// kUnknownCharset naming `charset`; so do names with blanks, control codes or non-ASCII
// characters, which ICU would otherwise overlook.
Status ResolveCharset(const std::string& charset, std::string& icu_name);

}  // namespace quonder
