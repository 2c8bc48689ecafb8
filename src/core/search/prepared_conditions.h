// The host's find conditions as the matcher uses them, together with what is derived from
// them (the find text folded for caseless search, its byte finder for pure-ASCII text, the
// separator set of the word-only test). The derived parts are rebuilt only when a condition
// they depend on changed, so reading the conditions at every search step and every hit costs
// one call to the host and a pointer compare. One per thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/search/fast/byte_search.h"
#include "core/search/find_host.h"

namespace quonder {

class PreparedConditions {
 public:
  // Takes the host's conditions as they are now. A host that hands back null leaves the
  // previous conditions in place.
  void Refresh(FindHost& host) { Set(host.Conditions()); }
  void Set(std::shared_ptr<const FindConditions> conditions);

  bool has_conditions() const { return current_ != nullptr; }
  // REQUIRES: has_conditions().
  const FindConditions& conditions() const { return *current_; }

  // Plain search ignores case.
  bool ignore_case() const { return current_->ignore_case; }
  // What plain search looks for: the find text, folded when ignoring case.
  const std::u16string& needle() const { return needle_; }
  // The needle as bytes for searching pure-ASCII text (ASCII-caseless when ignoring case);
  // empty when the needle holds a non-ASCII unit, which no ASCII text can contain.
  const ByteFinder& ascii_finder() const { return ascii_finder_; }
  // The find text in UTF-8, exact, for searching UTF-8 bytes; empty when the find text holds
  // an unpaired surrogate, which no well-formed UTF-8 decodes to.
  const ByteFinder& utf8_finder() const { return utf8_finder_; }
  // Changes whenever the find text or the compare mode changes.
  uint64_t needle_version() const { return needle_version_; }

  // Membership in the separator set of the word-only test: the separator text followed by
  // TAB, CR and LF, compared exactly.
  bool IsSeparator(char16_t unit) const {
    if (unit < 128) return (ascii_separators_[unit >> 6] >> (unit & 63)) & 1;
    return other_separators_.find(unit) != std::u16string::npos;
  }

  // The line feed code in UTF-8 (empty when it cannot be encoded: it then never occurs in UTF-8
  // text).
  const std::string& line_feed_utf8() const { return line_feed_utf8_; }
  // Changes whenever the line feed code changes.
  uint64_t line_feed_version() const { return line_feed_version_; }

 private:
  std::shared_ptr<const FindConditions> current_;
  std::u16string needle_;
  ByteFinder ascii_finder_;
  ByteFinder utf8_finder_;
  std::string line_feed_utf8_;
  uint64_t needle_version_ = 0;
  uint64_t line_feed_version_ = 0;
  uint64_t ascii_separators_[2] = {0, 0};
  std::u16string other_separators_;
};

}  // namespace quonder
