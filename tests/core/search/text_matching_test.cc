#include "core/search/text_matching.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/search/fast/byte_search.h"
#include "core/search/fast/utf8_reg_exp.h"
#include "core/search/find_test_support.h"
#include "core/search/reg_exp.h"
#include "core/text/string_common.h"
#include "core/text/utf_convert.h"

namespace quonder {
namespace {

using find_test::RecordingHost;

// Renders hits as "line:column:found:pointer", one per line, Found escaped to stay on one line.
class TranscriptSink : public HitSink {
 public:
  void OnHit(int64_t line, int64_t column, int64_t pointer, std::u16string_view found,
             const PreparedConditions&) override {
    text += std::to_string(line) + ":" + std::to_string(column) + ":" +
            ToUtf8(EscapeControlChars(std::u16string(found))) + ":" + std::to_string(pointer) +
            "\n";
  }
  std::string text;
};

struct MatchCase {
  const char* name;
  std::u16string text;
  std::u16string find;
  std::string expected;
  std::string flags = "";  // as find_test::ConditionsFor takes them
  std::u16string line_feed = u"\n";

  bool reg_exp() const { return flags.find('r') != std::string::npos; }
};

FindConditions ConditionsOf(const MatchCase& c) {
  FindConditions conditions = find_test::ConditionsFor("", c.find, c.flags);
  conditions.line_feed_code = c.line_feed;
  return conditions;
}

// Matches the decoded text, the way every file could be searched; with `utf8`, the same text's
// UTF-8 bytes without decoding them, as the run does for UTF-8 files.
std::string Match(const MatchCase& c, bool utf8) {
  RecordingHost host(ConditionsOf(c));
  PreparedConditions prepared;
  TranscriptSink sink;
  std::string bytes;
  EXPECT_TRUE(EncodeUtf8Strictly(c.text, bytes));
  Utf8View view(bytes, IsAscii(bytes) ? Utf8Form::kAscii : Utf8Form::kValid);
  const RegExp::Options options{host.Conditions()->ignore_case, true};
  if (!c.reg_exp()) {
    utf8 ? FindPlain(view, prepared, host, sink)
         : FindPlain(Utf16View(c.text), prepared, host, sink);
  } else if (utf8) {
    std::unique_ptr<Utf8RegExp> re = Utf8RegExp::Compile(c.find, options);
    if (re == nullptr) return "no byte pattern";
    FindRegExp(view, *re, prepared, host, sink);
  } else {
    std::unique_ptr<RegExp> re;
    Status status = RegExp::Compile(c.find, options, re);
    if (!status.ok()) return status.message();
    FindRegExp(Utf16View(c.text), *re, prepared, host, sink);
  }
  return sink.text;
}

const std::vector<MatchCase>& Cases() {
  static const std::vector<MatchCase> cases = {
      {"crlf lines", u"ab\r\ncd ab", u"ab", "1:1:ab:1\n2:4:ab:8\n", "", u"\r\n"},
      {"two on a line", u"foo bar foo", u"foo", "1:1:foo:1\n1:9:foo:9\n"},
      {"to the end", u"aXa", u"a", "1:1:a:1\n1:3:a:3\n"},
      {"no overlap", u"aaaa", u"aa", "1:1:aa:1\n1:3:aa:3\n"},
      {"caseless keeps the file's case", u"xABCx", u"abc", "1:2:ABC:2\n", "i"},
      {"exact", u"xABCx", u"abc", ""},
      {"word: underscore and brackets", u"foo_bar (foo)", u"foo", "1:1:foo:1\n1:10:foo:10\n", "w"},
      {"word: letters and hyphen", u"foobar foo-bar xfoo", u"foo", "", "w"},
      {"word: a dropped hit shifts nothing", u"foox foo", u"foo", "1:6:foo:6\n", "w"},
      {"word: tab, CR and LF always separate", u"\tfoo\r\nfoo", u"foo", "1:2:foo:2\n2:1:foo:7\n",
       "w"},
      {"word: non-ASCII neighbours", u"\u00e9foo \U0001F600foo foo\u00e9", u"foo", "", "w"},
      {"regex across lines", u"abzc\r\nxbyc", u"b.c", "1:2:bzc:2\n2:2:byc:8\n", "r", u"\r\n"},
      {"regex spanning a line feed", u"a\nb c\nab", u"a\\nb|ab", "1:1:a\\nb:1\n3:1:ab:7\n", "r"},
      {"lf code LF in a CR LF text", u"ab\r\ncd ab", u"ab", "1:1:ab:1\n2:4:ab:8\n"},
      {"lf code CR LF in an LF text", u"x\nab", u"ab", "1:3:ab:3\n", "", u"\r\n"},
      {"lf code CR", u"a\rb\r\na", u"a", "1:1:a:1\n3:2:a:6\n", "", u"\r"},
      {"columns count UTF-16 units", u"\u00e9\u20ac\U0001F600 ab", u"ab", "1:6:ab:6\n"},
      {"line start after multi-byte", u"\u00fc\n\u00fc\u00fcab", u"ab", "2:3:ab:5\n"},
      {"caseless Latin", u"\u00c9COLE \u00e9cole", u"\u00e9cole",
       "1:1:\u00c9COLE:1\n1:7:\u00e9cole:7\n", "i"},
      {"caseless Greek", u"\u03a3\u039f\u03a6\u039f\u03a3 \u03c3\u03bf\u03c6\u03bf\u03c2",
       u"\u03c3\u03bf\u03c6\u03bf\u03c3",
       "1:1:\u03a3\u039f\u03a6\u039f\u03a3:1\n1:7:\u03c3\u03bf\u03c6\u03bf\u03c2:7\n", "i"},
      {"caseless Cyrillic", u"\u041f\u0420\u0418 \u043f\u0440\u0438", u"\u043f\u0440\u0438",
       "1:1:\u041f\u0420\u0418:1\n1:5:\u043f\u0440\u0438:5\n", "i"},
      {"caseless full-width", u"\uff21\uff22 \uff41\uff42", u"\uff41\uff42",
       "1:1:\uff21\uff22:1\n1:4:\uff41\uff42:4\n", "i"},
      {"caseless KELVIN SIGN", u"\u212aelvin Kelvin", u"kelvin",
       "1:1:\u212aelvin:1\n1:8:Kelvin:8\n", "i"},
      {"caseless LONG S", u"x\u017ftop", u"STOP", "1:2:\u017ftop:2\n", "i"},
      {"caseless mates after an ASCII hit", u"kk \u212a", u"K", "1:1:k:1\n1:2:k:2\n1:4:\u212a:4\n",
       "i"},
      {"regex empty matches", u"ab", u"x*", "1:1::1\n1:2::2\n1:3::3\n", "r"},
      {"regex line starts", u"a\r\nb", u"^", "1:1::1\n2:1::4\n", "r", u"\r\n"},
      {"regex beyond the BMP", u"\U0001F600a", u".", "1:1:\U0001F600:1\n1:3:a:3\n", "r"},
      {"regex caseless non-ASCII", u"\u00c9t\u00e9", u"\u00e9", "1:1:\u00c9:1\n1:3:\u00e9:3\n",
       "ri"},
      {"regex hit inside the line feed code", u"a\r\nb", u"\\n", "2:0:\\n:3\n", "r", u"\r\n"},
      {"plain find text with a line end", u"a\r\nb\r\n", u"\r\n", "1:2:\\r\\n:2\n2:2:\\r\\n:5\n",
       "", u"\r\n"},
      {"regex word only", u"size_t x_tz int_t", u"\\w+_t", "1:1:size_t:1\n1:13:int_t:13\n", "rw"},
  };
  return cases;
}

TEST(TextMatchingTest, DecodedTextAndUtf8BytesGiveTheExpectedRows) {
  for (const MatchCase& c : Cases()) {
    EXPECT_EQ(Match(c, false), c.expected) << c.name << ", decoded";
    EXPECT_EQ(Match(c, true), c.expected) << c.name << ", UTF-8 bytes";
  }
}

}  // namespace
}  // namespace quonder
