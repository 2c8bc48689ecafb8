// The number texts of the settings file and the size box: what counts as a number, what a
// leading number is, how values round, and the decimal form the program writes, in the C
// locale and in one whose decimal mark is a comma (as the toolkit sets from the user's).
#include "core/settings/setting_numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>

#include "support/comma_locale.h"

namespace quonder {
namespace {

using Fields = std::vector<std::string>;

void ExpectNumberRules() {
  const std::vector<std::pair<std::string, std::optional<double>>> whole = {
      {"10240", 10240},       {" \t7 ", 7},
      {"-1.5", -1.5},         {"+2", 2},
      {".25", 0.25},          {"3.", 3},
      {"1e3", 1000},          {"0.5", 0.5},
      {"1e999", HUGE_VAL},    {"1e-999", 0},
      {"", std::nullopt},     {"  ", std::nullopt},
      {"-", std::nullopt},    {".", std::nullopt},
      {"10kB", std::nullopt}, {"2e", std::nullopt},
      {"1 2", std::nullopt},  {"0x10", std::nullopt},
      {"inf", std::nullopt},  {"1,5", std::nullopt},
      {"1abc", std::nullopt}};
  for (const auto& [text, value] : whole) EXPECT_EQ(ParseNumber(text), value) << text;

  const std::vector<std::pair<std::string, double>> leading = {
      {"10", 10}, {"0.5", 0.5}, {" 12kB", 12}, {"2e1x", 20}, {"2ex", 2},
      {"-3", -3}, {"abc", 0},   {"", 0},       {"0,5", 0},   {"0x10", 0}};
  for (const auto& [text, value] : leading) EXPECT_EQ(LeadingNumber(text), value) << text;

  const std::vector<std::pair<double, std::string>> measures = {{9795, "9795"},
                                                                {0, "0"},
                                                                {-30, "-30"},
                                                                {7.5, "7.5"},
                                                                {9795.5, "9795.5"},
                                                                {1.0 / 3.0, "0.3333333"},
                                                                {123456789, "123456800"},
                                                                {1e-9, "0"},
                                                                {-1e-9, "0"}};
  for (const auto& [value, text] : measures) EXPECT_EQ(FormatMeasure(value), text) << value;
}

TEST(SettingNumbersTest, NumbersAreReadAndWrittenWithAPoint) { ExpectNumberRules(); }

// Under a German locale strtod("0.5") is 0 and printf writes "9795,5": neither may happen.
TEST(SettingNumbersTest, TheSameUnderACommaDecimalLocale) {
  testing::CommaDecimalLocale locale;
  ASSERT_TRUE(locale.active()) << locale.error();
  ExpectNumberRules();
}

TEST(SettingNumbersTest, RoundToInt32GoesToEvenAndClamps) {
  const std::vector<std::pair<double, int32_t>> cases = {
      {0.5, 0},
      {1.5, 2},
      {2.5, 2},
      {-2.5, -2},
      {1.4999, 1},
      {1e12, std::numeric_limits<int32_t>::max()},
      {-1e12, std::numeric_limits<int32_t>::min()},
      {std::nan(""), 0}};
  for (const auto& [value, rounded] : cases) EXPECT_EQ(RoundToInt32(value), rounded) << value;
}

TEST(SettingNumbersTest, SplitFieldsGivesExactlyTheCount) {
  EXPECT_EQ(SplitFields(",,9795,6120", 4), (Fields{"", "", "9795", "6120"}));
  EXPECT_EQ(SplitFields("1,2", 4), (Fields{"1", "2", "", ""}));
  EXPECT_EQ(SplitFields("1,2,3,4,5", 4), (Fields{"1", "2", "3", "4"}));
  EXPECT_EQ(SplitFields("", 2), (Fields{"", ""}));
  EXPECT_EQ(SplitFields("a,", 2), (Fields{"a", ""}));
}

}  // namespace
}  // namespace quonder
