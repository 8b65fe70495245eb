#include "foundation/KivArchiveValue.h"

#include "foundation/KivBase64.h"
#include "foundation/KivUTF8.h"

#include <gtest/gtest.h>

TEST(KivUTF8, ReplacesEachIllFormedPart) {
    const std::string fffd = "\xEF\xBF\xBD";
    EXPECT_EQ(KivUTF8::sanitized("plain \xC3\xA9 \xF0\x9F\x8E\xB5"),
              "plain \xC3\xA9 \xF0\x9F\x8E\xB5");
    EXPECT_EQ(KivUTF8::sanitized("\x80"), fffd);
    EXPECT_EQ(KivUTF8::sanitized("\xC0\xAF"), fffd + fffd) << "overlong";
    EXPECT_EQ(KivUTF8::sanitized("\xED\xA0\x80"), fffd + fffd + fffd) << "surrogate";
    EXPECT_EQ(KivUTF8::sanitized("\xF4\x90\x80\x80"), fffd + fffd + fffd + fffd) << "past U+10FFFF";
    EXPECT_EQ(KivUTF8::sanitized("a\xE2\x82"), "a" + fffd) << "truncated";
    EXPECT_EQ(KivUTF8::sanitized("\xE2\x82x"), fffd + "x");
    EXPECT_TRUE(KivUTF8::isValid("\xE2\x82\xAC"));
    EXPECT_FALSE(KivUTF8::isValid("\xE2\x82"));
}

TEST(KivBase64, RoundTripsAndRejectsMalformedText) {
    for (std::size_t n = 0; n < 7; ++n) {
        std::vector<std::uint8_t> bytes;
        for (std::size_t i = 0; i < n; ++i) {
            bytes.push_back(static_cast<std::uint8_t>(0xF0 + i * 7));
        }
        const auto text = KivBase64::encoded(bytes);
        EXPECT_EQ(text.size() % 4, 0u);
        EXPECT_EQ(KivBase64::decoded(text), bytes) << text;
    }
    EXPECT_EQ(KivBase64::encoded(std::vector<std::uint8_t>{'M', 'a'}), "TWE=");
    for (const char* bad : {"TWE", "TW=E", "T===", "TWE!", "====", "TWE=TWE=", " TWE="}) {
        EXPECT_FALSE(KivBase64::decoded(bad)) << bad;
    }
}

TEST(KivArchiveValue, BytesAndMarkerKeysTakeTheirStoredForm) {
    const nlohmann::json value = {{"component", nlohmann::json::binary({1, 2, 3})},
                                  {"$data", {1, 2}},
                                  {"list", {nlohmann::json::binary({}), "x", nullptr}}};
    nlohmann::json stored;
    std::string error;
    ASSERT_TRUE(KivArchiveValue::toStored(value, stored, error)) << error;
    EXPECT_EQ(stored, (nlohmann::json{{"component", {{"$data", "AQID"}}},
                                      {"$$data", {1, 2}},
                                      {"list", {{{"$data", ""}}, "x", nullptr}}}));
    nlohmann::json back;
    ASSERT_TRUE(KivArchiveValue::fromStored(stored, back, error)) << error;
    EXPECT_EQ(back, value);
}
