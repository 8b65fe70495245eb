#include "foundation/KivNSString.h"

#include "foundation/KivNSData.h"
#include "support/CapturingLogSink.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <set>

using namespace KivNSString;

TEST(KivNSString, UUIDsAreVersionFourAndDistinct) {
    const std::regex form("[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}");
    std::set<std::string> seen;
    for (int i = 0; i < 100; ++i) {
        const auto uuid = stringUUID();
        EXPECT_TRUE(std::regex_match(uuid, form)) << uuid;
        seen.insert(uuid);
    }
    EXPECT_EQ(seen.size(), 100u);
}

TEST(KivNSString, FourCharCodeIsMostSignificantFirst) {
    EXPECT_EQ(stringWithFourCharCode(0x61756678), "aufx");
}

TEST(KivNSString, DotNotationRoundTrips) {
    EXPECT_EQ(addressInDotNotation(0xC0A80001), "192.168.0.1");
    CapturingLogSink log;
    EXPECT_EQ(addressFromDotNotation("192.168.0.1"), 0xC0A80001u);
    EXPECT_TRUE(log.lines().empty());
}

TEST(KivNSString, DotNotationRefusesWhatIsNotAnAddress) {
    for (const char* text :
         {"0.1.2.3", "1.2.3", "1.2.3.4.5", "1.2.300.4", "a.b.c.d", "", "1..2.3"}) {
        CapturingLogSink log;
        EXPECT_EQ(addressFromDotNotation(text), 0u) << text;
        ASSERT_EQ(log.lines().size(), 1u) << text;
        EXPECT_EQ(log.lines()[0],
                  std::string("Error: Not an IPv4 address in dot notation: ") + text);
    }
}

TEST(KivNSString, ShowControlFieldsSplitAtZeroBytes) {
    const std::uint8_t bytes[] = {'1', '2', '.', '5', 0, '3', 0, '7', '.', '1'};
    const auto fields = stringsFromMSCByteDataRepresentingNumberListPath(bytes, sizeof bytes);
    EXPECT_EQ(fields.at("Q_number"), "12.5");
    EXPECT_EQ(fields.at("Q_list"), "3");
    EXPECT_EQ(fields.at("Q_path"), "7.1");

    const std::uint8_t numberOnly[] = {'4', '2'};
    const auto single = stringsFromMSCByteDataRepresentingNumberListPath(numberOnly, 2);
    EXPECT_EQ(single.size(), 1u);
    EXPECT_EQ(single.at("Q_number"), "42");
}

TEST(KivNSString, ShowControlSkipsUnknownBytesWithAWarning) {
    CapturingLogSink log;
    const std::uint8_t bytes[] = {'9', 'x', '8'};
    const auto fields = stringsFromMSCByteDataRepresentingList(bytes, sizeof bytes);
    EXPECT_EQ(fields.at("Q_list"), "98");
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_EQ(log.lines()[0], "Warning: stringFromMSCByteData: unrecognized byte value 120");
}

TEST(KivNSString, PathArithmetic) {
    EXPECT_EQ(standardizedPath("/a/./b/../c/"), "/a/c");
    EXPECT_EQ(canonicalPathComponents("/a/b/../c"), (std::vector<std::string>{"/", "a", "c"}));
    EXPECT_EQ(stringByMakingPathRelativeTo("/shows/one/Media/x.wav", "/shows/two"),
              "../one/Media/x.wav");
    EXPECT_EQ(stringByMakingPathRelativeTo("/a/b", "/a/b"), "");
    EXPECT_EQ(stringByMakingPathAbsoluteWithBase("../x.wav", "/a/b"), "/a/x.wav");
    EXPECT_FALSE(stringByMakingPathAbsoluteWithBase("x.wav", "relative/base").has_value());

    const char* home = std::getenv("HOME");
    if (home) {
        EXPECT_EQ(standardizedPath("~/Music"), standardizedPath(std::string(home) + "/Music"));
    }
}

TEST(KivNSString, TrailingZeros) {
    EXPECT_EQ(stringWithoutTrailingZeros("1.500"), "1.5");
    EXPECT_EQ(stringWithoutTrailingZeros("2.000"), "2");
    EXPECT_EQ(stringWithoutTrailingZeros("100"), "100");
    EXPECT_EQ(stringWithoutTrailingZeros("0.0"), "0");
    EXPECT_EQ(stringWithoutTrailingZeros(".000"), "");
}

TEST(KivNSData, TextStopsAtTheFirstZeroByte) {
    EXPECT_EQ(KivNSData::UTF8String({'a', 'b', 0, 'c'}), "ab");
    EXPECT_EQ(KivNSData::UTF8String({'x', 'y'}), "xy");
    EXPECT_EQ(KivNSData::UTF8String({}), "");
}
