// Ruling files out by their raw bytes before decoding them, in plain mode.
//
// It rests on two facts about the charsets TextCodec::AsciiCompatible() accepts: every ASCII
// character of the decoded text comes from one byte of the same value, and a byte below 0x80
// outside a multi-byte sequence is that character. UTF-8 adds a third: every other character
// has exactly one byte form. So a file whose bytes lack what the find text must leave in them
// holds no hit and is never decoded, and a pure-ASCII file is searched as it is.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/search/fast/byte_search.h"

namespace quonder {

struct PlainPrefilter {
  // Bytes that every file with a hit contains (ASCII-caseless when ignoring case). Empty when
  // none can be named; such a file has to be decoded unless it is pure ASCII.
  ByteFinder required;
  // `required` is exactly what the text's bytes are searched for when they are matched as they
  // are (text_views.h), so its first occurrence is where the first hit begins (ignoring case:
  // in a file that no non-ASCII character folds into).
  bool required_is_needle = false;
  // Ignoring case, some letter of `required` has non-ASCII characters folding onto it
  // (KELVIN SIGN onto k, LONG S onto s): a file that is not pure ASCII may then hold a hit
  // without holding `required`.
  bool has_fold_mates = false;
  // Those characters in UTF-8: in a UTF-8 file that holds none of them, `required` decides.
  std::vector<std::string> fold_mates_utf8;
};

// The prefilter for plain matching of `find_text` (`ignore_case` as the compare mode says) in
// files of a UTF-8 (`utf8`) or other ASCII-compatible charset.
PlainPrefilter MakePlainPrefilter(std::u16string_view find_text, bool ignore_case, bool utf8);

enum class PrefilterVerdict {
  kNoHit,      // the file holds no hit: no need to decode it
  kAsciiText,  // the file is pure ASCII: search its bytes as they are
  kDecode,     // the file may hold a hit: decode it and search the text
};

// Applies `filter` to a file's bytes (byte-order mark removed). `first` receives the position
// of the first occurrence of `required` (npos when none or not searched).
PrefilterVerdict ApplyPlainPrefilter(const PlainPrefilter& filter, bool utf8,
                                     std::string_view bytes, size_t& first);

}  // namespace quonder
