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
  bool reg_exp = false;
  bool ignore_case = false;
  bool word_only = false;
  std::u16string line_feed = u"\n";
  std::string expected = "";
};

FindConditions ConditionsOf(const MatchCase& c) {
  FindConditions conditions;
  conditions.find_text = c.find;
  conditions.reg_exp = c.reg_exp;
  conditions.ignore_case = c.ignore_case;
  conditions.word_only = c.word_only;
  conditions.line_feed_code = c.line_feed;
  return conditions;
}

// Matches the decoded text, the way every file could be searched.
std::string MatchUtf16(const MatchCase& c) {
  RecordingHost host(ConditionsOf(c));
  PreparedConditions prepared;
  TranscriptSink sink;
  if (c.reg_exp) {
    std::unique_ptr<RegExp> re;
    Status status = RegExp::Compile(c.find, {c.ignore_case, true}, re);
    if (!status.ok()) return status.message();
    FindRegExp(Utf16View(c.text), *re, prepared, host, sink);
  } else {
    FindPlain(Utf16View(c.text), prepared, host, sink);
  }
  return sink.text;
}

// Matches the same text's UTF-8 bytes without decoding them, as the run does for UTF-8 files.
std::string MatchUtf8(const MatchCase& c) {
  std::string bytes;
  EXPECT_TRUE(EncodeUtf8Strictly(c.text, bytes));
  Utf8View view(bytes, IsAscii(bytes) ? Utf8Form::kAscii : Utf8Form::kValid);
  RecordingHost host(ConditionsOf(c));
  PreparedConditions prepared;
  TranscriptSink sink;
  if (c.reg_exp) {
    std::unique_ptr<Utf8RegExp> re = Utf8RegExp::Compile(c.find, {c.ignore_case, true});
    if (re == nullptr) return "no byte pattern";
    FindRegExp(view, *re, prepared, host, sink);
  } else {
    FindPlain(view, prepared, host, sink);
  }
  return sink.text;
}

const std::vector<MatchCase>& Cases() {
  static const std::vector<MatchCase> cases = {
      {.name = "crlf lines",
       .text = u"ab\r\ncd ab",
       .find = u"ab",
       .line_feed = u"\r\n",
       .expected = "1:1:ab:1\n2:4:ab:8\n"},
      {.name = "two on a line",
       .text = u"foo bar foo",
       .find = u"foo",
       .expected = "1:1:foo:1\n1:9:foo:9\n"},
      {.name = "to the end", .text = u"aXa", .find = u"a", .expected = "1:1:a:1\n1:3:a:3\n"},
      {.name = "no overlap", .text = u"aaaa", .find = u"aa", .expected = "1:1:aa:1\n1:3:aa:3\n"},
      {.name = "caseless keeps the file's case",
       .text = u"xABCx",
       .find = u"abc",
       .ignore_case = true,
       .expected = "1:2:ABC:2\n"},
      {.name = "exact", .text = u"xABCx", .find = u"abc", .expected = ""},
      {.name = "word: underscore and brackets",
       .text = u"foo_bar (foo)",
       .find = u"foo",
       .word_only = true,
       .expected = "1:1:foo:1\n1:10:foo:10\n"},
      {.name = "word: letters and hyphen",
       .text = u"foobar foo-bar xfoo",
       .find = u"foo",
       .word_only = true,
       .expected = ""},
      {.name = "word: a dropped hit shifts nothing",
       .text = u"foox foo",
       .find = u"foo",
       .word_only = true,
       .expected = "1:6:foo:6\n"},
      {.name = "word: tab, CR and LF always separate",
       .text = u"\tfoo\r\nfoo",
       .find = u"foo",
       .word_only = true,
       .expected = "1:2:foo:2\n2:1:foo:7\n"},
      {.name = "word: non-ASCII neighbours",
       .text = u"\u00e9foo \U0001F600foo foo\u00e9",
       .find = u"foo",
       .word_only = true,
       .expected = ""},
      {.name = "regex across lines",
       .text = u"abzc\r\nxbyc",
       .find = u"b.c",
       .reg_exp = true,
       .line_feed = u"\r\n",
       .expected = "1:2:bzc:2\n2:2:byc:8\n"},
      {.name = "regex spanning a line feed",
       .text = u"a\nb c\nab",
       .find = u"a\\nb|ab",
       .reg_exp = true,
       .expected = "1:1:a\\nb:1\n3:1:ab:7\n"},
      {.name = "lf code LF in a CR LF text",
       .text = u"ab\r\ncd ab",
       .find = u"ab",
       .expected = "1:1:ab:1\n2:4:ab:8\n"},
      {.name = "lf code CR LF in an LF text",
       .text = u"x\nab",
       .find = u"ab",
       .line_feed = u"\r\n",
       .expected = "1:3:ab:3\n"},
      {.name = "lf code CR",
       .text = u"a\rb\r\na",
       .find = u"a",
       .line_feed = u"\r",
       .expected = "1:1:a:1\n3:2:a:6\n"},
      {.name = "columns count UTF-16 units",
       .text = u"\u00e9\u20ac\U0001F600 ab",
       .find = u"ab",
       .expected = "1:6:ab:6\n"},
      {.name = "line start after multi-byte",
       .text = u"\u00fc\n\u00fc\u00fcab",
       .find = u"ab",
       .expected = "2:3:ab:5\n"},
      {.name = "caseless Latin",
       .text = u"\u00c9COLE \u00e9cole",
       .find = u"\u00e9cole",
       .ignore_case = true,
       .expected = "1:1:\u00c9COLE:1\n1:7:\u00e9cole:7\n"},
      {.name = "caseless Greek",
       .text = u"\u03a3\u039f\u03a6\u039f\u03a3 \u03c3\u03bf\u03c6\u03bf\u03c2",
       .find = u"\u03c3\u03bf\u03c6\u03bf\u03c3",
       .ignore_case = true,
       .expected = "1:1:\u03a3\u039f\u03a6\u039f\u03a3:1\n1:7:\u03c3\u03bf\u03c6\u03bf\u03c2:7\n"},
      {.name = "caseless Cyrillic",
       .text = u"\u041f\u0420\u0418 \u043f\u0440\u0438",
       .find = u"\u043f\u0440\u0438",
       .ignore_case = true,
       .expected = "1:1:\u041f\u0420\u0418:1\n1:5:\u043f\u0440\u0438:5\n"},
      {.name = "caseless full-width",
       .text = u"\uff21\uff22 \uff41\uff42",
       .find = u"\uff41\uff42",
       .ignore_case = true,
       .expected = "1:1:\uff21\uff22:1\n1:4:\uff41\uff42:4\n"},
      {.name = "caseless KELVIN SIGN",
       .text = u"\u212aelvin Kelvin",
       .find = u"kelvin",
       .ignore_case = true,
       .expected = "1:1:\u212aelvin:1\n1:8:Kelvin:8\n"},
      {.name = "caseless LONG S",
       .text = u"x\u017ftop",
       .find = u"STOP",
       .ignore_case = true,
       .expected = "1:2:\u017ftop:2\n"},
      {.name = "caseless mates after an ASCII hit",
       .text = u"kk \u212a",
       .find = u"K",
       .ignore_case = true,
       .expected = "1:1:k:1\n1:2:k:2\n1:4:\u212a:4\n"},
      {.name = "regex empty matches",
       .text = u"ab",
       .find = u"x*",
       .reg_exp = true,
       .expected = "1:1::1\n1:2::2\n1:3::3\n"},
      {.name = "regex line starts",
       .text = u"a\r\nb",
       .find = u"^",
       .reg_exp = true,
       .line_feed = u"\r\n",
       .expected = "1:1::1\n2:1::4\n"},
      {.name = "regex beyond the BMP",
       .text = u"\U0001F600a",
       .find = u".",
       .reg_exp = true,
       .expected = "1:1:\U0001F600:1\n1:3:a:3\n"},
      {.name = "regex caseless non-ASCII",
       .text = u"\u00c9t\u00e9",
       .find = u"\u00e9",
       .reg_exp = true,
       .ignore_case = true,
       .expected = "1:1:\u00c9:1\n1:3:\u00e9:3\n"},
      {.name = "regex hit inside the line feed code",
       .text = u"a\r\nb",
       .find = u"\\n",
       .reg_exp = true,
       .line_feed = u"\r\n",
       .expected = "2:0:\\n:3\n"},
      {.name = "plain find text with a line end",
       .text = u"a\r\nb\r\n",
       .find = u"\r\n",
       .line_feed = u"\r\n",
       .expected = "1:2:\\r\\n:2\n2:2:\\r\\n:5\n"},
      {.name = "regex word only",
       .text = u"size_t x_tz int_t",
       .find = u"\\w+_t",
       .reg_exp = true,
       .word_only = true,
       .expected = "1:1:size_t:1\n1:13:int_t:13\n"},
  };
  return cases;
}

TEST(TextMatchingTest, DecodedTextGivesTheExpectedRows) {
  for (const MatchCase& c : Cases()) EXPECT_EQ(MatchUtf16(c), c.expected) << c.name;
}

TEST(TextMatchingTest, Utf8BytesGiveTheSameRowsAsTheDecodedText) {
  for (const MatchCase& c : Cases()) EXPECT_EQ(MatchUtf8(c), c.expected) << c.name;
}

// A stop request seen while passing line feeds drops the hit in hand; after a hit it ends the
// matching with the rows so far.
TEST(TextMatchingTest, StopDuringLineLocationDropsTheHitInHand) {
  MatchCase c{.name = "stop", .text = u"a\n\na a", .find = u"a", .expected = ""};
  for (bool utf8 : {false, true}) {
    RecordingHost host(ConditionsOf(c));
    host.stop_when = [](int checks) { return checks >= 2; };  // 1: after hit 1; 2: in hit 2
    PreparedConditions prepared;
    TranscriptSink sink;
    std::string bytes = ToUtf8(c.text);
    Utf8View view(bytes, Utf8Form::kAscii);
    MatchOutcome outcome = utf8 ? FindPlain(view, prepared, host, sink)
                                : FindPlain(Utf16View(c.text), prepared, host, sink);
    EXPECT_TRUE(outcome.stopped);
    EXPECT_EQ(outcome.count, 1);
    EXPECT_EQ(sink.text, "1:1:a:1\n");
  }
}

TEST(TextMatchingTest, StopAfterAHitEndsTheRegularExpressionRun) {
  MatchCase c{.name = "stop", .text = u"ab ab ab", .find = u"ab", .reg_exp = true, .expected = ""};
  RecordingHost host(ConditionsOf(c));
  host.stop_when = [](int checks) { return checks >= 2; };
  std::unique_ptr<RegExp> re;
  ASSERT_TRUE(RegExp::Compile(c.find, {false, true}, re).ok());
  PreparedConditions prepared;
  TranscriptSink sink;
  MatchOutcome outcome = FindRegExp(Utf16View(c.text), *re, prepared, host, sink);
  EXPECT_TRUE(outcome.stopped);
  EXPECT_EQ(sink.text, "1:1:ab:1\n1:4:ab:4\n");
}

// The find text is read before every search step: a change takes effect at the next hit.
TEST(TextMatchingTest, ConditionsChangedBetweenHitsApplyToTheNextStep) {
  MatchCase c{.name = "change", .text = u"ab cd ab cd", .find = u"ab", .expected = ""};
  for (bool utf8 : {false, true}) {
    RecordingHost host(ConditionsOf(c));
    TranscriptSink sink;
    struct Switch : HitSink {
      RecordingHost* host;
      TranscriptSink* inner;
      void OnHit(int64_t line, int64_t column, int64_t pointer, std::u16string_view found,
                 const PreparedConditions& prepared) override {
        inner->OnHit(line, column, pointer, found, prepared);
        host->Change([](FindConditions& f) {
          f.find_text = u"CD";
          f.ignore_case = true;
        });
      }
    } switcher;
    switcher.host = &host;
    switcher.inner = &sink;
    PreparedConditions prepared;
    std::string bytes = ToUtf8(c.text);
    Utf8View view(bytes, Utf8Form::kAscii);
    if (utf8) {
      FindPlain(view, prepared, host, switcher);
    } else {
      FindPlain(Utf16View(c.text), prepared, host, switcher);
    }
    EXPECT_EQ(sink.text, "1:1:ab:1\n1:4:cd:4\n1:10:cd:10\n") << utf8;
  }
}

}  // namespace
}  // namespace quonder
