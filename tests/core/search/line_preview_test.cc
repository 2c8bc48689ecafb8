#include "core/search/line_preview.h"

#include <gtest/gtest.h>

#include <string>

namespace quonder {
namespace {

// Renders a preview as "...before[hit]after..." with "!" when stale, for whole-value checks.
std::u16string Render(const LinePreview& p) {
  std::u16string out;
  if (p.cut_before) out += u"...";
  out += p.before + u"[" + p.hit + u"]" + p.after;
  if (p.cut_after) out += u"...";
  if (p.stale) out += u"!";
  return out;
}

std::u16string Preview(std::u16string_view text, int32_t pointer, std::u16string_view hit,
                       size_t max_chars = 80) {
  LinePreview preview;
  if (!ExtractLinePreview(text, pointer, hit, max_chars, preview)) return u"<none>";
  return Render(preview);
}

TEST(LinePreviewTest, FindsTheLineOfTheHit) {
  const std::u16string text = u"first line\r\nsecond abc line\nthird\rfourth";
  struct Case {
    int32_t pointer;
    std::u16string hit;
    std::u16string expected;
  };
  const Case cases[] = {
      {1, u"first", u"[first] line"},
      {20, u"abc", u"second [abc] line"},
      {29, u"third", u"[third]"},
      {35, u"fourth", u"[fourth]"},
      {20, u"abX", u"second [abc] line!"},             // the file no longer holds the hit
      {20, u"abc line\nthird", u"second [abc line]"},  // a hit over lines is cut at the line end
      {40, u"h", u"fourt[h]"},
      {41, u"", u"fourth[]"},  // just past the end
      {42, u"", u"<none>"},
      {0, u"", u"<none>"},
      {-5, u"", u"<none>"},
  };
  for (const Case& c : cases) EXPECT_EQ(Preview(text, c.pointer, c.hit), c.expected) << c.pointer;
  EXPECT_EQ(Preview(u"", 1, u""), u"[]");
  EXPECT_EQ(Preview(u"", 1, u"x"), u"[]!");
}

TEST(LinePreviewTest, CutsALongLineAroundTheHit) {
  const std::u16string line = std::u16string(100, u'a') + u"HIT" + std::u16string(100, u'b');
  EXPECT_EQ(Preview(line, 101, u"HIT", 13), u"...aaaaa[HIT]bbbbb...");
  // Near the start of the line the room left over goes to the text after the hit.
  EXPECT_EQ(Preview(u"xHIT" + std::u16string(100, u'b'), 2, u"HIT", 13), u"x[HIT]bbbbbbbbb...");
  EXPECT_EQ(Preview(std::u16string(100, u'a') + u"HITb", 101, u"HIT", 13), u"...aaaaaaaaa[HIT]b");
  // A hit longer than the preview keeps its start.
  EXPECT_EQ(Preview(u"aa" + std::u16string(20, u'H') + u"bb", 3, std::u16string(20, u'H'), 5),
            u"...[HHHHH]...");
  // A line that fits is never cut.
  EXPECT_EQ(Preview(u"aHITb", 2, u"HIT", 5), u"a[HIT]b");
}

TEST(LinePreviewTest, ACutNeverSplitsASurrogatePair) {
  const std::u16string emoji = u"\U0001F600";  // two code units
  const std::u16string line = emoji + emoji + emoji + u"HIT" + emoji + emoji + emoji;
  LinePreview preview;
  ASSERT_TRUE(ExtractLinePreview(line, 7, u"HIT", 6, preview));
  EXPECT_EQ(preview.hit, u"HIT");
  for (const std::u16string& part : {preview.before, preview.after}) {
    EXPECT_EQ(part.size() % 2, 0u) << "half a pair in the preview";
    EXPECT_LE(part.size(), 2u);
  }
}

}  // namespace
}  // namespace quonder
