#include "core/search/reg_exp.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quonder {
namespace {

// Every match of RegExpExecute as "start[value]", joined by blanks.
std::u16string Transcript(const std::u16string& pattern, const std::u16string& text,
                          bool ignore_case = false, bool global = true) {
  std::vector<RegExpMatch> matches;
  Status status = RegExpExecute(text, pattern, matches, ignore_case, global);
  if (!status.ok()) return u"error";
  std::u16string out;
  for (const RegExpMatch& m : matches) {
    if (!out.empty()) out += u' ';
    std::string start = std::to_string(m.FirstIndex);
    out += std::u16string(start.begin(), start.end()) + u'[' + m.Value + u']';
  }
  return out;
}

std::u16string Replaced(const std::u16string& pattern, const std::u16string& replacement,
                        const std::u16string& text, bool ignore_case = false, bool global = true) {
  std::u16string result;
  Status status = RegExpReplace(text, pattern, replacement, ignore_case, global, result);
  return status.ok() ? result : u"error";
}

struct ExecuteCase {
  const char* name;
  std::u16string pattern;
  std::u16string text;
  bool ignore_case;
  std::u16string expected;
};

TEST(RegExpExecuteTest, Table) {
  const ExecuteCase cases[] = {
      // Anchors at CR LF, CR and LF line ends, and no empty hit between CR and LF.
      {"caret per line", u"^abc", u"abc\r\nxabc\rabc\nabc", false, u"0[abc] 10[abc] 14[abc]"},
      {"dollar per line", u"abc$", u"abc\r\nabcx\rabc\nabc", false, u"0[abc] 10[abc] 14[abc]"},
      {"bare dollar", u"$", u"a\r\nb\rc\nd", false, u"1[] 4[] 6[] 8[]"},
      {"bare caret", u"^", u"a\r\nb\rc\nd", false, u"0[] 3[] 5[] 7[]"},
      {"dot stops at CR and LF", u"b.c", u"abzc\r\nxbyc\rb\rc", false, u"1[bzc] 7[byc]"},
      {"match across CR LF", u"a\\r\\nb", u"xa\r\nb", false, u"1[a\r\nb]"},
      // The escapes of the help text.
      {"backslash", u"\\\\", u"a\\b", false, u"1[\\]"},
      {"cr", u"\\r", u"a\r\n", false, u"1[\r]"},
      {"lf", u"\\n", u"a\r\n", false, u"2[\n]"},
      {"tab", u"\\t", u"a\tb", false, u"1[\t]"},
      {"vt is only VT", u"\\v", u"\n\x0B\r\f\x85\u2028", false, u"1[\x0B]"},
      {"vt in a class", u"[\\va]+", u"\n\va\f", false, u"1[\va]"},
      {"vt in a negated class", u"[^\\v]", u"\x0B\n", false, u"1[\n]"},
      {"escaped backslash then v", u"\\\\v", u"\x0B\\v", false, u"1[\\v]"},
      {"vt inside quoting is literal", u"\\Q\\v\\E", u"\x0B\\v", false, u"1[\\v]"},
      {"vt after quoting", u"\\Q.\\E\\v", u"x\x0B.\x0B", false, u"2[.\x0B]"},
      {"control backslash then v", u"\\c\\v", u"\x1Cv\x1C\x0B", false, u"0[\x1Cv]"},
      {"escaped specials", u"\\(\\)\\$\\*\\+\\.\\[\\]\\?\\/\\^\\{\\}\\|", u"x()$*+.[]?/^{}|y",
       false, u"1[()$*+.[]?/^{}|]"},
      // Case.
      {"case on", u"ABC", u"xabc", true, u"1[abc]"},
      {"case off", u"ABC", u"xabc", false, u""},
      {"latin accent", u"\u00C9COLE", u"l'\u00E9cole", true, u"2[\u00E9cole]"},
      {"cyrillic", u"\u044F", u"\u042F\u044F", true, u"0[\u042F] 1[\u044F]"},
      {"cyrillic exact", u"\u044F", u"\u042F\u044F", false, u"1[\u044F]"},
      {"class range caseless", u"[\u0430-\u044F]+", u"\u041F\u0420\u0418", true,
       u"0[\u041F\u0420\u0418]"},
      // \w \d \b are ASCII.
      {"word is ascii", u"\\w+", u"\u00E9t_1", false, u"1[t_1]"},
      {"digit is ascii", u"\\d", u"\u06617", false, u"1[7]"},
      {"negated classes take non-ascii", u"\\D\\W\\S", u"1\u00E9\u044F\u0436", false,
       u"1[\u00E9\u044F\u0436]"},
      {"boundary is ascii", u"\\bt", u"\u00E9t t", false, u"1[t] 3[t]"},
      // Texts with unpaired surrogates match around them.
      {"lone high blocks dot", u"a.b", {u'a', 0xD800, u'b'}, false, u""},
      {"lone low between", u"[^x]+", {u'a', u'b', 0xDC00, u'c', u'd'}, false, u"0[ab] 3[cd]"},
      {"pair is one char", u".", u"\U0001F600x", false, u"0[\U0001F600] 2[x]"},
      {"astral caseless", u"\U00010428", u"\U00010400", true, u"0[\U00010400]"},
      // Empty matches advance.
      {"star", u"a*", u"baac", false, u"0[] 1[aa] 3[] 4[]"},
      {"boundaries", u"\\b", u"ab cd", false, u"0[] 2[] 3[] 5[]"},
      {"empty over a pair", u"x*", u"\U0001F600", false, u"0[] 2[]"},
      {"empty over CR LF", u"x*", u"a\r\nb", false, u"0[] 1[] 3[] 4[]"},
      {"empty pattern", u"", u"ab", false, u"0[] 1[] 2[]"},
      {"empty text", u"^$", u"", false, u"0[]"},
  };
  for (const ExecuteCase& c : cases) {
    EXPECT_EQ(Transcript(c.pattern, c.text, c.ignore_case), c.expected) << c.name;
  }
}

TEST(RegExpExecuteTest, GlobalOffGivesTheFirstMatchOnlyAndEarlierMatchesGo) {
  EXPECT_EQ(Transcript(u"a.", u"a1 a2 a3", false, false), u"0[a1]");
  EXPECT_EQ(Transcript(u"q", u"a1 a2 a3", false, false), u"");
  std::vector<RegExpMatch> matches = {{5, u"old"}};
  ASSERT_TRUE(RegExpExecute(u"xyz", u"q", matches, false, true).ok());
  EXPECT_TRUE(matches.empty());
}

struct InvalidCase {
  std::u16string pattern;
  size_t offset;
  std::string message_part;
};

TEST(RegExpCompileTest, InvalidPatternsGiveMessageAndOffset) {
  const InvalidCase cases[] = {
      {u"(abc", 4, "missing closing parenthesis"},
      {u"[a", 2, "missing terminating ]"},
      {u"*a", 0, "quantifier does not follow a repeatable item"},
      {u"a{2,1}", 5, "numbers out of order"},
      {u"ab\\", 3, "\\ at end of pattern"},
      // The offset counts what was typed, not the rewritten \v.
      {u"\\v\\v(", 5, "missing closing parenthesis"},
      {u"\\v[", 3, "missing terminating ]"},
      {u"a\\C", 3, "\\C"},
      {u"a\xD800", 1, "UTF-16 error"},
  };
  for (const InvalidCase& c : cases) {
    std::unique_ptr<RegExp> re;
    Status status = RegExp::Compile(c.pattern, {}, re);
    EXPECT_EQ(status.code(), Status::Code::kInvalidPattern) << c.message_part;
    EXPECT_EQ(re, nullptr);
    EXPECT_NE(status.message().find("offset " + std::to_string(c.offset) + ":"), std::string::npos)
        << status.message();
    EXPECT_NE(status.message().find(c.message_part), std::string::npos) << status.message();

    std::vector<RegExpMatch> matches;
    EXPECT_FALSE(RegExpExecute(u"abc", c.pattern, matches, false, true).ok());
    std::u16string result;
    EXPECT_FALSE(RegExpReplace(u"abc", c.pattern, u"x", false, true, result).ok());
    EXPECT_EQ(result, u"abc");
  }
}

TEST(RegExpFindTest, StartInsideASurrogatePairSearchesBehindIt) {
  std::unique_ptr<RegExp> re;
  ASSERT_TRUE(RegExp::Compile(u".|x*", {}, re).ok());
  const std::u16string text = u"\U0001F600a";
  size_t begin = 99, end = 99;
  ASSERT_TRUE(re->Find(text, 1, begin, end));
  EXPECT_EQ(begin, 2u);
  EXPECT_EQ(end, 3u);
  ASSERT_TRUE(re->Find(text, 3, begin, end));  // an empty match at the very end
  EXPECT_EQ(begin, 3u);
  EXPECT_EQ(end, 3u);
  EXPECT_FALSE(re->Find(text, 4, begin, end));
  EXPECT_TRUE(re->last_error().ok());
}

TEST(RegExpFindTest, LookBehindSeesTextBeforeStart) {
  std::unique_ptr<RegExp> re;
  ASSERT_TRUE(RegExp::Compile(u"(?<=a)b|\\bc", {}, re).ok());
  size_t begin, end;
  ASSERT_TRUE(re->Find(u"abxc", 1, begin, end));
  EXPECT_EQ(begin, 1u);
  EXPECT_FALSE(re->Find(u"xc", 1, begin, end));  // x before c: no word boundary
}

TEST(RegExpFindTest, CatastrophicBacktrackingEndsWithAnError) {
  std::unique_ptr<RegExp> re;
  ASSERT_TRUE(RegExp::Compile(u"(a+)+$", {.multiline = true}, re).ok());
  const std::u16string text = std::u16string(40, u'a') + u"b";
  size_t begin, end;
  EXPECT_FALSE(re->Find(text, 0, begin, end));
  EXPECT_EQ(re->last_error().code(), Status::Code::kInvalidPattern);
  EXPECT_NE(re->last_error().message().find("limit"), std::string::npos)
      << re->last_error().message();

  EXPECT_EQ(re->Replace(text, u"x", true), text);  // nothing is lost
  EXPECT_FALSE(re->last_error().ok());

  // The next run starts clean.
  ASSERT_TRUE(re->Find(u"aa", 0, begin, end));
  EXPECT_TRUE(re->last_error().ok());

  std::vector<RegExpMatch> matches;
  EXPECT_FALSE(RegExpExecute(u"ok\n" + text, u"^ok$|(a+)+$", matches, false, true).ok());
  ASSERT_EQ(matches.size(), 1u);  // what was found before the error stays
  EXPECT_EQ(matches[0].Value, u"ok");
  std::u16string result;
  EXPECT_FALSE(RegExpReplace(text, u"(a+)+$", u"x", false, true, result).ok());
  EXPECT_EQ(result, text);
}

TEST(RegExpFindTest, DeepButFiniteMatchSucceeds) {
  // Every repetition of the group leaves a backtracking point; a long text must still match.
  std::u16string text(300000, u'a');
  text += u"end";
  std::vector<RegExpMatch> matches;
  ASSERT_TRUE(RegExpExecute(text, u"(a|b)*end", matches, false, true).ok());
  ASSERT_EQ(matches.size(), 1u);
  EXPECT_EQ(matches[0].Value.size(), text.size());
}

struct ReplaceCase {
  const char* name;
  std::u16string pattern;
  std::u16string replacement;
  std::u16string text;
  std::u16string expected;
  bool ignore_case = false;
  bool global = true;
};

TEST(RegExpReplaceTest, Table) {
  const ReplaceCase cases[] = {
      {"groups", u"(\\w+)=(\\w+)", u"$1-$2", u"key=value", u"key-value"},
      {"every group digit", u"(a)(b)(c)(d)(e)(f)(g)(h)(i)", u"$9$8$7$6$5$4$3$2$1", u"abcdefghi",
       u"ihgfedcba"},
      {"$10 is group 1 then 0", u"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)", u"$10", u"abcdefghij", u"a0"},
      {"unset group is empty", u"(a)(b)?", u"[$2]", u"ac", u"[]c"},
      {"missing group stays", u"(a)", u"$5", u"a", u"$5"},
      {"doubled dollar", u"(a)", u"$$1", u"a", u"$1"},
      {"help text", u"(x)", u"$$1~$$9 -> $1~$9", u"x", u"$1~$9 -> x~$9"},
      {"dollar zero literal", u"(a)", u"$0", u"a", u"$0"},
      {"dollar amp literal", u"a", u"<$&>", u"a", u"<$&>"},
      {"trailing dollar", u"a", u"x$", u"a", u"x$"},
      {"group with surrogates", u"(\U0001F600+)", u"[$1]", u"a\U0001F600\U0001F600",
       u"a[\U0001F600\U0001F600]"},
      // Multi-line off: ^ and $ anchor at the ends of the text only.
      {"caret at text start", u"^a", u"X", u"a\na\r\na", u"X\na\r\na"},
      {"dollar at text end", u"a$", u"X", u"a\na\r\na", u"a\na\r\nX"},
      {"dollar not before a final LF", u"a$", u"X", u"a\n", u"a\n"},
      {"found text anchors", u"^b.*d$", u"<$&>", u"bcd", u"<$&>"},
      // Empty matches.
      {"empty matches", u"x*", u"-", u"abc", u"-a-b-c-"},
      {"empty after non-empty", u"a*", u"-", u"baac", u"-b--c-"},
      {"empty over CR LF", u"x*", u"-", u"\r\n", u"-\r\n-"},
      {"empty over a pair", u"", u"-", u"\U0001F600", u"-\U0001F600-"},
      {"escapes", u"\\t|\\v", u"_", u"a\tb\vc\n", u"a_b_c\n"},
      // Case and global.
      {"caseless", u"ABC", u"x", u"abcABC", u"xx", true},
      {"exact", u"ABC", u"x", u"abcABC", u"abcx"},
      {"caseless non-ASCII", u"\u00C9", u"e", u"\u00E9\u00C9", u"ee", true},
      {"first only", u"a", u"x", u"aaa", u"xaa", false, false},
      {"first only, empty", u"x*", u"-", u"ab", u"-ab", false, false},
      {"no match", u"q", u"x", u"aaa", u"aaa"},
  };
  for (const ReplaceCase& c : cases) {
    EXPECT_EQ(Replaced(c.pattern, c.replacement, c.text, c.ignore_case, c.global), c.expected)
        << c.name;
  }
}

TEST(RegExpTest, OneObjectServesManyTextsAndForEachMatchStopsWhenAsked) {
  std::unique_ptr<RegExp> re;
  ASSERT_TRUE(RegExp::Compile(u"(b)(c)?", {.ignore_case = true}, re).ok());
  int calls = 0;
  re->ForEachMatch(u"bbbb", [&](size_t, size_t) { return ++calls < 2; });
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(re->Replace(u"abc", u"[$2]", true), u"a[c]");
  EXPECT_EQ(re->Replace(u"ab", u"[$2]", true), u"a[]");  // no group left over from before
  size_t begin, end;
  ASSERT_TRUE(re->Find(u"xxB", 0, begin, end));
  EXPECT_EQ(begin, 2u);
}

}  // namespace
}  // namespace quonder
