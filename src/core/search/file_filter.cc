#include "core/search/file_filter.h"

#include "core/text/caseless_fold.h"
#include "core/text/utf_convert.h"

namespace quonder {

bool ExtensionMatches(std::string_view file_name, std::u16string_view extension_list) {
  size_t dot = file_name.rfind('.');
  if (dot == std::string_view::npos || dot + 1 == file_name.size()) return false;
  std::u16string extension = FoldText(ToUtf16(file_name.substr(dot + 1)));
  if (extension.size() > extension_list.size()) return false;
  const char16_t* fold = FoldTable();
  for (size_t i = 0; i + extension.size() <= extension_list.size(); ++i) {
    size_t k = 0;
    while (k < extension.size() && fold[extension_list[i + k]] == extension[k]) ++k;
    if (k == extension.size()) return true;
  }
  return false;
}

bool ExtensionQualifies(std::string_view file_name, const FindConditions& conditions) {
  switch (conditions.ext_behavior) {
    case ExtBehavior::kInclude:
      return ExtensionMatches(file_name, conditions.extensions);
    case ExtBehavior::kExclude:
      return !ExtensionMatches(file_name, conditions.extensions);
    default:
      return false;
  }
}

bool SizeQualifies(int64_t size, const FindConditions& conditions) {
  return conditions.max_size == 0 || size < conditions.max_size;
}

}  // namespace quonder
