// Which files of a folder a find run reads: the extension test and the size limit.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/search/find_conditions.h"

namespace quonder {

// The extension of `file_name` (the text after its last '.') matches when it is not empty and
// occurs anywhere inside `extension_list`, compared without regard to case: a plain substring
// test, so "htm" matches "html;txt". A name without extension never matches.
bool ExtensionMatches(std::string_view file_name, std::u16string_view extension_list);

// The extension half of the filter: a matching extension with behaviour Include, or a
// non-matching one with Exclude. Any other behaviour lets no file through.
bool ExtensionQualifies(std::string_view file_name, const FindConditions& conditions);

// The size half: no limit (0), or a size strictly below the limit. A negative limit lets no
// file through.
bool SizeQualifies(int64_t size, const FindConditions& conditions);

}  // namespace quonder
