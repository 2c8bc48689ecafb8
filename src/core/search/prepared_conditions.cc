#include "core/search/prepared_conditions.h"

#include <utility>

#include "core/text/caseless_fold.h"
#include "core/text/utf_convert.h"

namespace quonder {

void PreparedConditions::Set(std::shared_ptr<const FindConditions> conditions) {
  if (conditions == nullptr || conditions == current_) return;
  std::shared_ptr<const FindConditions> old = std::move(current_);
  current_ = std::move(conditions);
  const FindConditions& now = *current_;

  if (old == nullptr || old->find_text != now.find_text ||
      old->ignore_case != now.ignore_case) {
    ++needle_version_;
    needle_ = now.ignore_case ? FoldText(now.find_text) : now.find_text;
    std::string bytes;
    bytes.reserve(needle_.size());
    for (char16_t unit : needle_) {
      if (unit > 0x7F) {
        bytes.clear();
        break;
      }
      bytes.push_back(static_cast<char>(unit));
    }
    ascii_finder_ = ByteFinder(bytes, now.ignore_case);
    std::string utf8;
    utf8_finder_ = ByteFinder(EncodeUtf8Strictly(now.find_text, utf8) ? utf8 : "", false);
  }

  if (old == nullptr || old->separators != now.separators) {
    ascii_separators_[0] = ascii_separators_[1] = 0;
    other_separators_.clear();
    std::u16string set = now.separators + u"\t\r\n";
    for (char16_t unit : set) {
      if (unit < 128) {
        ascii_separators_[unit >> 6] |= uint64_t{1} << (unit & 63);
      } else {
        other_separators_.push_back(unit);
      }
    }
  }

  if (old == nullptr || old->line_feed_code != now.line_feed_code) {
    ++line_feed_version_;
    if (!EncodeUtf8Strictly(now.line_feed_code, line_feed_utf8_)) line_feed_utf8_.clear();
  }
}

}  // namespace quonder
