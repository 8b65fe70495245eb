#include "foundation/KivNSString.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using KivNSString::secondsFromFormattedString;
using KivNSString::stringByFormattingSeconds;

struct FormatCase {
    double seconds;
    int places;
    bool showHours;
    bool forcePositive;
    const char* text;
};

class TimeTextFormat : public ::testing::TestWithParam<FormatCase> {};

TEST_P(TimeTextFormat, Formats) {
    const auto& c = GetParam();
    EXPECT_EQ(stringByFormattingSeconds(c.seconds, c.places, c.showHours, c.forcePositive), c.text)
        << c.seconds << " s with " << c.places << " places";
}

INSTANTIATE_TEST_SUITE_P(Table, TimeTextFormat,
                         ::testing::Values(FormatCase{65.5, 2, false, true, "01:05.50"},
                                           FormatCase{3725, 0, false, true, "01:02:05"},
                                           FormatCase{0, 2, false, true, "00:00.00"},
                                           FormatCase{0, 2, true, true, "00:00:00.00"},
                                           FormatCase{-5, 2, false, true, "00:00.00"},
                                           FormatCase{-5, 2, false, false, "-00:05.00"},
                                           FormatCase{36000, 2, false, true, "10:00:00.00"},
                                           FormatCase{31536000, 0, false, true, "8760:00:00"},
                                           FormatCase{31536001, 2, false, true, "8760:00:00.00"},
                                           FormatCase{59.999, 2, false, true, "01:00.00"},
                                           FormatCase{3599.999, 2, false, true, "01:00:00.00"},
                                           FormatCase{0.05, 3, false, true, "00:00.050"},
                                           FormatCase{12.3456, 3, false, true, "00:12.346"},
                                           FormatCase{599.5, 0, false, true, "10:00"},
                                           FormatCase{7.25, 1, false, true, "00:07.3"}));

// Magnitudes past a year and NaN used to overflow the integer fields.
INSTANTIATE_TEST_SUITE_P(OutOfRange, TimeTextFormat,
                         ::testing::Values(FormatCase{-40000000, 2, false, false, "-8760:00:00.00"},
                                           FormatCase{-std::numeric_limits<double>::infinity(), 0,
                                                      false, false, "-8760:00:00"},
                                           FormatCase{std::numeric_limits<double>::infinity(), 0,
                                                      false, true, "8760:00:00"},
                                           FormatCase{std::numeric_limits<double>::quiet_NaN(), 2,
                                                      false, false, "00:00.00"},
                                           FormatCase{1.5, -3, false, true, "00:02"},
                                           FormatCase{1.5, 40, false, true, "00:01.500000000"}));

struct ParseCase {
    const char* text;
    double seconds;
};

class TimeTextParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(TimeTextParse, Parses) {
    EXPECT_DOUBLE_EQ(secondsFromFormattedString(GetParam().text), GetParam().seconds)
        << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(Table, TimeTextParse,
                         ::testing::Values(ParseCase{"1:05.5", 65.5}, ParseCase{"-00:10", -10},
                                           ParseCase{"90", 90}, ParseCase{"1:2:3:4", 7384},
                                           ParseCase{"", 0}, ParseCase{"abc", 0},
                                           ParseCase{"1:-30", 90}, ParseCase{"01:05.50", 65.5},
                                           ParseCase{"01:02:05", 3725}, ParseCase{"2.5x", 2.5},
                                           ParseCase{" 7", 7}, ParseCase{"+3", 3},
                                           ParseCase{"1e1", 10}, ParseCase{"::5", 5}));

// "inf", "nan" and hexadecimal are not numbers, and overflow reads as nothing.
INSTANTIATE_TEST_SUITE_P(Refused, TimeTextParse,
                         ::testing::Values(ParseCase{"inf", 0}, ParseCase{"-infinity", 0},
                                           ParseCase{"nan", 0}, ParseCase{"1:nan", 60},
                                           ParseCase{"0x1A", 0}, ParseCase{"1e400", 0},
                                           ParseCase{"1e306:0:0", 0}));

TEST(TimeText, FormattedValuesParseBack) {
    for (double seconds : {0.0, 0.01, 1.25, 59.99, 61.5, 3599.75, 3600.5, 86399.99, 31535999.5}) {
        for (int places : {2, 3}) {
            const auto text = stringByFormattingSeconds(seconds, places, false, false);
            EXPECT_NEAR(secondsFromFormattedString(text), seconds, 0.5 * std::pow(10.0, -places))
                << text;
            const auto negative = stringByFormattingSeconds(-seconds, places, true, false);
            EXPECT_NEAR(secondsFromFormattedString(negative), -seconds,
                        0.5 * std::pow(10.0, -places))
                << negative;
        }
    }
}

TEST(TimeText, DefaultsMatchTheShortForms) {
    EXPECT_EQ(stringByFormattingSeconds(-65.5), "00:00.00");
    EXPECT_EQ(stringByFormattingSeconds(65.5, 3), "01:05.500");
    EXPECT_EQ(stringByFormattingSeconds(65.5, 0, true), "00:01:06");
}
