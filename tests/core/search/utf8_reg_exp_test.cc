#include "core/search/fast/utf8_reg_exp.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "core/search/reg_exp.h"
#include "core/text/utf_convert.h"

namespace quonder {
namespace {

// PCRE2 10.42's 8-bit JIT in invalid-UTF mode misses non-ASCII characters with the negated
// ASCII classes; the raw-byte matcher must still find them where the 16-bit one does.
TEST(Utf8RegExpTest, NegatedAsciiClassesMatchNonAsciiCharacters) {
  struct Case {
    const char16_t* pattern;
    std::string bytes;
    size_t begin, end;
  } cases[] = {
      {u"\\D", " \xC3\xA9", 0, 1},
      {u"\\W\\W", "a \xC3\xA9", 1, 4},
      {u"\\S", "\t\xF0\x9F\x98\x80", 1, 5},
      {u"\\s\\S", "x\t\xC3\xA9", 1, 4},
  };
  for (const Case& c : cases) {
    auto re = Utf8RegExp::Compile(c.pattern, {.multiline = true});
    ASSERT_NE(re, nullptr);
    size_t begin = 0, end = 0;
    ASSERT_TRUE(re->Find(c.bytes, 0, begin, end)) << c.bytes;
    EXPECT_EQ(begin, c.begin) << c.bytes;
    EXPECT_EQ(end, c.end) << c.bytes;
  }
}

// A file is matched as bytes or as decoded text depending on its charset and content: both must
// give the same matches, or the 8-bit matcher must refuse the pattern. Backtracking verbs make
// PCRE2's result depend on where its start-of-match optimizations let it try first, and those
// differ between the widths ((*COMMIT) before a caseless character beyond ASCII: the 16-bit
// engine skips to the character, the 8-bit one tries position 0 and commits to failing).
TEST(Utf8RegExpTest, MatchesTheDecodedTextOrRefusesThePattern) {
  const struct {
    const char16_t* pattern;
    bool ignore_case;
    std::u16string text;
  } cases[] = {
      {u"(*COMMIT)\uFEFF", true, u"b0B}\uFEFF\uFEFF$"},
      {u"(*COMMIT)\u00E9", true, u"ab\u00E9\u00C9"},
      {u"(*PRUNE)\u00E9|x", true, u"ab\u00E9x"},
      {u"a(*SKIP)(*FAIL)|\u00E9", true, u"a\u00E9a\u00C9"},
      {u"\u00E9+", true, u"a\u00E9\u00C9"},
  };
  using Matches = std::vector<std::pair<size_t, size_t>>;
  for (const auto& c : cases) {
    const RegExp::Options options{.ignore_case = c.ignore_case, .multiline = true};
    std::unique_ptr<RegExp> utf16;
    ASSERT_TRUE(RegExp::Compile(c.pattern, options, utf16).ok()) << ToUtf8(c.pattern);
    Matches decoded;
    utf16->ForEachMatch(std::u16string_view(c.text), [&](size_t begin, size_t end) {
      decoded.emplace_back(ToUtf8(c.text.substr(0, begin)).size(),
                           ToUtf8(c.text.substr(0, end)).size());
      return true;
    });
    std::unique_ptr<Utf8RegExp> utf8 = Utf8RegExp::Compile(c.pattern, options);
    if (utf8 == nullptr) continue;
    Matches in_bytes;
    const std::string bytes = ToUtf8(c.text);
    utf8->ForEachMatch(std::string_view(bytes), [&](size_t begin, size_t end) {
      in_bytes.emplace_back(begin, end);
      return true;
    });
    EXPECT_EQ(in_bytes, decoded) << ToUtf8(c.pattern);
  }
}

}  // namespace
}  // namespace quonder
