#include "core/search/fast/utf8_reg_exp.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace quonder
