// Counting line feeds between two hits of one file, the line-location step of the matcher,
// with vectorised scans for the one- and two-unit line feed codes (LF, CR, CR LF).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace quonder {

struct LineFeedScan {
  int64_t count = 0;       // occurrences found
  size_t end_of_last = 0;  // position just behind the last one; meaningful when count > 0
};

// The occurrences of `code` that begin in [from, to) of `text`, found left to right, each
// search starting behind the previous occurrence (so they never overlap). An occurrence may
// end beyond `to`. An empty code never occurs. For UTF-8 text the code is given in UTF-8: its
// occurrences in the bytes are exactly its occurrences in the decoded text.
LineFeedScan ScanLineFeeds(std::u16string_view text, size_t from, size_t to,
                           std::u16string_view code);
LineFeedScan ScanLineFeeds(std::string_view utf8_text, size_t from, size_t to,
                           std::string_view code);

}  // namespace quonder
