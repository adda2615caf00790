// The number patterns of report lines. A value is a stored integer and the
// count of decimal places it carries (215 with 1 is 21.5), so dividing a
// raw value by 10, 100 or 1000 is exact and nothing passes through floating
// point.
//
// Digit patterns ("0", "###", " 00.0", "  0.000"): the value is rounded to
// the pattern's decimals (halves away from zero); a "0" position always shows
// a digit, a "#" position only where the number has one, so "###" prints
// nothing for zero; digits beyond the pattern's integer positions stand in
// front of them; other characters print as they stand. A negative value keeps
// a pattern's leading literal characters in front, then its minus sign, then
// the digits as for the absolute value (" 00.0" of -2.3 prints " -02.3").
//
// "@" patterns ("@@@.@", "      @@.@@"): the value's plain decimal text (an
// integer's digits, a fraction as its shortest text with a leading zero, a
// minus sign when negative) is laid into the "@" positions from the right,
// one character each; other pattern characters stay in place, "@" positions
// left over print as spaces, and characters beyond the "@" positions stand
// in front of the leftmost one. No arithmetic: "@@@.@" of 235 is " 23.5".
#pragma once

#include <string>
#include <string_view>

namespace trelm {

std::string formatPattern(std::string_view pattern, long stored, int decimals = 0);

// The plain decimal text of stored / 10^decimals: "16" for (1600, 2), "16.5"
// for (1650, 2), "0.5" for (5, 1), "-0.05" for (-5, 2).
std::string plainDecimal(long stored, int decimals);

} // namespace trelm
