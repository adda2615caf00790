// Number patterns of report lines and the Str form of label numbers, as one
// table of the cases that tell a right formatter from a nearly right one.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "case_name.h"
#include "reports/number_pattern.h"
#include "reports/report_form.h"

using namespace trelm;

namespace {

struct PatternCase {
    const char *pattern;
    long stored;
    int decimals;
    const char *expected;
};

std::ostream &operator<<(std::ostream &out, const PatternCase &c) {
    return out << '"' << c.pattern << "\" of " << c.stored << "/10^" << c.decimals;
}

// "SpZero2DotZero_Minus26p7": the pattern's runs of characters (Hash, Zero,
// At, Dot, Sp for a space, with their lengths), then the number it shows
// ('p' for the decimal point).
std::string caseName(const PatternCase &c) {
    std::string name;
    for (const char *at = c.pattern; *at != '\0';) {
        const char *end = at;
        while (*end == *at) ++end;
        switch (*at) {
        case '#': name += "Hash"; break;
        case '0': name += "Zero"; break;
        case '@': name += "At"; break;
        case '.': name += "Dot"; break;
        default: name += "Sp"; break;
        }
        if (end - at > 1) name += std::to_string(end - at);
        at = end;
    }
    std::string digits = std::to_string(std::labs(c.stored));
    if (c.decimals > 0) {
        digits.insert(0, std::max(0, c.decimals + 1 - static_cast<int>(digits.size())), '0');
        digits.insert(digits.size() - c.decimals, "p");
    }
    return name + "_" + (c.stored < 0 ? "Minus" : "") + digits;
}

class NumberPatterns : public ::testing::TestWithParam<PatternCase> {};

TEST_P(NumberPatterns, FormatExactly) {
    const PatternCase &c = GetParam();
    EXPECT_EQ(formatPattern(c.pattern, c.stored, c.decimals), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    DigitPatterns, NumberPatterns,
    ::testing::Values(PatternCase{"###", 0, 0, ""},                 // "#" shows nothing for zero
                      PatternCase{"###", 760, 0, "760"}, PatternCase{"###", 5, 0, "5"},
                      PatternCase{"###", 12345, 0, "12345"},         // surplus digits in front
                      PatternCase{"0", 0, 0, "0"}, PatternCase{"0", 123, 0, "123"},
                      PatternCase{" 000", 95, 0, " 095"}, PatternCase{" 000", 745, 0, " 745"},
                      PatternCase{"00.0", 5, 1, "00.5"}, PatternCase{"00.0", 1234, 1, "123.4"},
                      PatternCase{" 00.0", 215, 1, " 21.5"},
                      PatternCase{" 00.0", -267, 1, " -26.7"}, // spaces, then the sign, then the digits
                      PatternCase{" 00.0", -23, 1, " -02.3"}, PatternCase{"0.0", -5, 1, "-0.5"},
                      PatternCase{"###", -15, 0, "-15"}, PatternCase{"  0.000", 10080, 3, "  10.080"},
                      PatternCase{"  0.000", 7, 3, "  0.007"}, PatternCase{"      0.00", 1667, 2, "      16.67"},
                      PatternCase{"0.00", 1500, 2, "15.00"},
                      PatternCase{"0.0", 1234, 2, "12.3"}, // rounded to the pattern's decimals
                      PatternCase{"0.0", 1235, 2, "12.4"}, PatternCase{"0.0", -1235, 2, "-12.4"},
                      PatternCase{"0.0", -4, 2, "0.0"}, // rounds to zero: no sign
                      PatternCase{"0.00", 5, 1, "0.50"}),
    testsupport::CaseName());

INSTANTIATE_TEST_SUITE_P(
    PlaceholderPatterns, NumberPatterns,
    ::testing::Values(PatternCase{"@@@.@", 235, 0, " 23.5"}, PatternCase{"@@@.@", 5, 0, "   .5"},
                      PatternCase{"@@@.@", -15, 0, " -1.5"}, PatternCase{"@@@.@", 1234, 0, "123.4"},
                      PatternCase{"@@@.@", 12345, 0, "1234.5"}, // the surplus digit stays in front
                      PatternCase{"@@@", 760, 0, "760"},
                      PatternCase{"@@@", 1600, 2, " 16"},  // a divided value without decimals
                      PatternCase{"@@@", 1650, 2, "16.5"}, // shortest decimal text, no trailing zero
                      PatternCase{"@@@", 50, 2, "0.5"},    // with its leading zero
                      PatternCase{"@.@@", 1610, 0, "16.10"}, PatternCase{"@.@@", 0, 0, " . 0"},
                      PatternCase{"      @.@", 121, 0, "      12.1"},
                      PatternCase{"      @@.@@", 1667, 0, "      16.67"},
                      PatternCase{"      @@.@@", 5, 0, "        . 5"},
                      PatternCase{"     @@.@@", -5, 0, "       .-5"}),
    testsupport::CaseName());

TEST(PlainDecimal, ShortestTextOfAScaledValue) {
    EXPECT_EQ(plainDecimal(1600, 2), "16");
    EXPECT_EQ(plainDecimal(1650, 2), "16.5");
    EXPECT_EQ(plainDecimal(5, 1), "0.5");
    EXPECT_EQ(plainDecimal(-5, 2), "-0.05");
    EXPECT_EQ(plainDecimal(-1234, 0), "-1234");
}

TEST(StrForm, ABlankBeforeANonNegativeNumberTheSignBeforeANegativeOne) {
    EXPECT_EQ(strForm(3), " 3");
    EXPECT_EQ(strForm(10), " 10");
    EXPECT_EQ(strForm(0), " 0");
    EXPECT_EQ(strForm(-3), "-3");
    EXPECT_EQ("Filter " + strForm(3) + ":", "Filter  3:");
}

} // namespace
