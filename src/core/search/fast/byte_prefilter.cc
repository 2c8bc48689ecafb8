#include "core/search/fast/byte_prefilter.h"

#include <algorithm>

#include "core/text/caseless_fold.h"
#include "core/text/utf_convert.h"

namespace quonder {
namespace {

// Some single-byte converters decode an unmappable byte to SUBSTITUTE (U+001A), an ASCII unit
// that then comes from no byte of its value; UTF-8 always decodes invalid bytes to U+FFFD.
bool IsCertainAscii(char16_t unit, bool utf8) { return unit < 0x80 && (utf8 || unit != 0x1A); }

std::string Narrow(std::u16string_view ascii) { return std::string(ascii.begin(), ascii.end()); }

// The longest run of units whose bytes are certain: ASCII, and when ignoring case without
// non-ASCII fold mates.
std::string LongestCertainRun(std::u16string_view needle, bool ignore_case, bool utf8) {
  std::u16string_view best;
  size_t start = 0;
  for (size_t i = 0; i <= needle.size(); ++i) {
    bool certain = i < needle.size() && IsCertainAscii(needle[i], utf8) &&
                   !(ignore_case && HasNonAsciiFoldMate(static_cast<char>(needle[i])));
    if (certain) continue;
    if (i - start > best.size()) best = needle.substr(start, i - start);
    start = i + 1;
  }
  return Narrow(best);
}

}  // namespace

PlainPrefilter MakePlainPrefilter(std::u16string_view find_text, bool ignore_case, bool utf8) {
  PlainPrefilter filter;
  if (find_text.empty()) return filter;
  const std::u16string needle = ignore_case ? FoldText(find_text) : std::u16string(find_text);

  if (utf8 && !ignore_case && needle.find(u'\uFFFD') == std::u16string::npos) {
    // U+FFFD may stand for invalid bytes, and an unpaired surrogate has no UTF-8 form.
    std::string bytes;
    if (EncodeUtf8Strictly(needle, bytes)) {
      filter.required_is_needle = true;
      filter.required = ByteFinder(bytes, false);
      return filter;
    }
  }
  if (std::all_of(needle.begin(), needle.end(),
                  [utf8](char16_t c) { return IsCertainAscii(c, utf8); })) {
    filter.required = ByteFinder(Narrow(needle), ignore_case);
    filter.required_is_needle = true;
    if (ignore_case) {
      for (char16_t unit : needle) {
        for (char16_t mate : NonAsciiFoldMates(static_cast<char>(unit))) {
          filter.has_fold_mates = true;
          std::string form = ToUtf8(std::u16string(1, mate));
          if (std::find(filter.fold_mates_utf8.begin(), filter.fold_mates_utf8.end(), form) ==
              filter.fold_mates_utf8.end()) {
            filter.fold_mates_utf8.push_back(form);
          }
        }
      }
    }
    return filter;
  }
  filter.required = ByteFinder(LongestCertainRun(needle, ignore_case, utf8), ignore_case);
  return filter;
}

PrefilterVerdict ApplyPlainPrefilter(const PlainPrefilter& filter, bool utf8,
                                     std::string_view bytes, size_t& first) {
  first = std::string_view::npos;
  if (filter.required.empty()) {
    return IsAscii(bytes) ? PrefilterVerdict::kAsciiText : PrefilterVerdict::kDecode;
  }
  first = filter.required.Find(bytes, 0);
  if (first != std::string_view::npos) {
    return IsAscii(bytes) ? PrefilterVerdict::kAsciiText : PrefilterVerdict::kDecode;
  }
  if (!filter.has_fold_mates || IsAscii(bytes)) return PrefilterVerdict::kNoHit;
  if (!utf8) return PrefilterVerdict::kDecode;
  for (const std::string& mate : filter.fold_mates_utf8) {
    if (bytes.find(mate) != std::string_view::npos) return PrefilterVerdict::kDecode;
  }
  return PrefilterVerdict::kNoHit;
}

}  // namespace quonder
