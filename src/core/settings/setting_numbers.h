// Numbers in the texts of the settings file and of the window's size box: what counts as a
// number, how it rounds, and the plain decimal form the program writes. Nothing here depends on
// the process locale (the toolkit sets the user's at start, where the decimal mark may be a
// comma): numbers are read with std::from_chars and written with std::to_chars, always with a
// '.' as the decimal mark.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quonder {

// The value of `text` when the whole text, blanks around it aside, is one decimal number
// (optional sign, digits with an optional fraction, optional exponent); nullopt otherwise,
// also for an empty text, hex ("0x10"), "inf" and a comma decimal ("1,5").
std::optional<double> ParseNumber(std::string_view text);

// The decimal number that `text` starts with, after leading blanks; 0 when it starts with
// none ("12kB" gives 12, "abc" and "" give 0, "1.5" gives 1.5).
double LeadingNumber(std::string_view text);

// `value` rounded to the nearest integer, halves to the even neighbour, clamped to the 32-bit
// signed range (NaN gives 0).
int32_t RoundToInt32(double value);

// `value` as a single-precision measure in plain decimal notation with at most seven
// significant digits: "9795", "0.5", "123456800" (never an exponent; a tiny measure is "0").
std::string FormatMeasure(double value);

// `text` split at commas into exactly `count` fields: missing fields are empty, fields beyond
// the last are dropped.
std::vector<std::string> SplitFields(const std::string& text, size_t count);

}  // namespace quonder
