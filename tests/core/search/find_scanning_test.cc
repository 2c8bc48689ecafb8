// The vectorised scans under the find run, against plain loops over random texts of every
// length around their block sizes.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/search/fast/byte_search.h"
#include "core/search/fast/line_scan.h"
#include "core/text/utf_convert.h"

namespace quonder {
namespace {

std::string RandomText(std::mt19937& rng, size_t length, const std::string& alphabet) {
  std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
  std::string text(length, ' ');
  for (char& c : text) c = alphabet[pick(rng)];
  return text;
}

size_t NaiveFind(const std::string& hay, size_t from, const std::string& needle, bool caseless) {
  auto lower = [&](char c) { return caseless && c >= 'A' && c <= 'Z' ? char(c | 0x20) : c; };
  for (size_t i = from; i + needle.size() <= hay.size(); ++i) {
    size_t k = 0;
    while (k < needle.size() && lower(hay[i + k]) == lower(needle[k])) ++k;
    if (k == needle.size()) return i;
  }
  return std::string::npos;
}

TEST(FindScanningTest, ByteFinderAgreesWithAPlainLoop) {
  std::mt19937 rng(7);
  const std::vector<std::string> needles = {
      "a", "ab", "aB", "ba", "abc", "a_b", "bbbbbbbbbbbbbbbbbbbb", "zZ", "[", "@", "`{"};
  for (size_t length : {0, 1, 5, 15, 16, 17, 31, 33, 100, 1000}) {
    for (int round = 0; round < 20; ++round) {
      std::string hay = RandomText(rng, length, "abAB_[{@`zZ\x80\xE1\xC1");
      for (const std::string& needle : needles) {
        for (bool caseless : {false, true}) {
          ByteFinder finder(needle, caseless);
          for (size_t from : {size_t{0}, length / 3, length}) {
            ASSERT_EQ(finder.Find(hay, from), NaiveFind(hay, from, needle, caseless))
                << needle << " " << caseless << " in " << hay;
          }
        }
      }
    }
  }
}

TEST(FindScanningTest, IsAsciiSeesEveryHighByte) {
  for (size_t length : {1, 7, 8, 9, 63, 64, 65, 200}) {
    for (size_t at = 0; at < length; ++at) {
      std::string text(length, 'a');
      EXPECT_TRUE(IsAscii(text));
      text[at] = '\x80';
      EXPECT_FALSE(IsAscii(text)) << length << " " << at;
    }
  }
}

template <typename Text>
LineFeedScan NaiveScan(const Text& text, size_t from, size_t to, const Text& code) {
  LineFeedScan scan;
  size_t pos = from;
  while (pos < to) {
    size_t hit = text.find(code, pos);
    if (hit == Text::npos || hit >= to) break;
    ++scan.count;
    pos = hit + code.size();
    scan.end_of_last = pos;
  }
  return scan;
}

TEST(FindScanningTest, LineFeedScansAgreeWithAPlainLoop) {
  std::mt19937 rng(11);
  for (size_t length : {0, 2, 15, 16, 17, 100, 5000, 70000}) {
    std::string bytes = RandomText(rng, length, "ab\r\n\r\n");
    std::u16string units(bytes.begin(), bytes.end());
    for (const std::string& code : {std::string("\n"), std::string("\r"), std::string("\r\n"),
                                    std::string("\n\r"), std::string("\r\r"), std::string("ab")}) {
      std::u16string code16(code.begin(), code.end());
      for (size_t from : {size_t{0}, length / 7}) {
        for (size_t to : {length, length / 2 + 1}) {
          LineFeedScan want = NaiveScan(bytes, from, to, code);
          LineFeedScan got8 = ScanLineFeeds(bytes, from, to, code);
          LineFeedScan got16 = ScanLineFeeds(units, from, to, code16);
          ASSERT_EQ(got8.count, want.count) << length << " " << from << " " << to;
          ASSERT_EQ(got16.count, want.count) << length << " " << from << " " << to;
          if (want.count > 0) {
            EXPECT_EQ(got8.end_of_last, want.end_of_last);
            EXPECT_EQ(got16.end_of_last, want.end_of_last);
          }
        }
      }
    }
  }
}

TEST(FindScanningTest, Utf8ValidityAndLengthsAgreeWithTheDecoder) {
  std::mt19937 rng(13);
  const std::vector<std::string> pieces = {
      "a",        "\xC3\xA9",     "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "\n",           "\xFF",
      "\xC3",     "\xED\xA0\x80", "\xC0\xAF",     "\xF4\x90\x80\x80", "\xE0\x80\x80", "\x80",
      "\xE2\x82", "\xF0\x9F\x98", "\xF1\x80",     "\xF5\x80",         "\xEF\xBF\xBF"};
  std::uniform_int_distribution<size_t> pick(0, pieces.size() - 1);
  for (int round = 0; round < 2000; ++round) {
    std::string text;
    size_t n = round % 50 < 2 ? 5000 : round % 40;  // long ones, valid and not
    for (size_t i = 0; i < n; ++i) text += pieces[pick(rng) % (round % 2 ? 5 : pieces.size())];
    std::u16string decoded = ToUtf16(text);
    bool valid = ToUtf8(decoded) == text && decoded.find(u'\uFFFD') == std::u16string::npos;
    ASSERT_EQ(IsValidUtf8(text), valid) << text;
    ASSERT_EQ(Utf16LengthLossy(text), decoded.size()) << text;
    if (valid) {
      ASSERT_EQ(Utf16Length(text), decoded.size());
      std::u16string again;
      DecodeValidUtf8(text, again);
      ASSERT_EQ(again, decoded);
    }
  }
  for (int round = 0; round < 300; ++round) {  // raw bytes, as binary files hold them
    std::string raw(static_cast<size_t>(round) * 7, '\0');
    for (char& c : raw) c = static_cast<char>(rng());
    ASSERT_EQ(Utf16LengthLossy(raw), ToUtf16(raw).size());
  }
}

}  // namespace
}  // namespace quonder
