#include "audio/core/KivAudioUtilities.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(KivAudioUtilities, DecibelsAndLinearGain) {
    const KivAudioUtilities u;
    EXPECT_EQ(u.dbToLinear(-120.0), 0.0);
    EXPECT_EQ(u.dbToLinear(-200.0), 0.0);
    EXPECT_DOUBLE_EQ(u.dbToLinear(0.0), 1.0);
    EXPECT_NEAR(u.dbToLinear(-6.0), 0.501187, 1e-6);
    EXPECT_DOUBLE_EQ(u.linearToDb(1.0), 0.0);
    EXPECT_NEAR(u.linearToDb(0.5), -6.0206, 1e-4);
    EXPECT_EQ(u.linearToDb(0.0), -120.0);
    EXPECT_EQ(u.linearToDb(-1.0), -120.0);
    EXPECT_EQ(u.linearToDb(1e-9), -120.0) << "never below the minimum";
}

TEST(KivAudioUtilities, AbsoluteSliderScale) {
    const KivAudioUtilities u;
    EXPECT_EQ(u.sliderToDb(0.0, true), -120.0);
    EXPECT_DOUBLE_EQ(u.sliderToDb(1.0, true), 0.0);
    EXPECT_NEAR(u.sliderToDb(0.5, true), 55.0 * std::log10(0.5), 1e-12);
    EXPECT_DOUBLE_EQ(u.sliderToDb(1.125, true), 6.0);
    EXPECT_DOUBLE_EQ(u.sliderToDb(2.0, true), 12.0) << "capped at the maximum";

    EXPECT_EQ(u.dbToSlider(-120.0, true), 0.0);
    EXPECT_DOUBLE_EQ(u.dbToSlider(0.0, true), 1.0);
    EXPECT_DOUBLE_EQ(u.dbToSlider(6.0, true), 1.125);
    EXPECT_DOUBLE_EQ(u.dbToSlider(40.0, true), 1.25);
    for (double slider : {0.1, 0.5, 0.9, 1.1, 1.2}) {
        EXPECT_NEAR(u.dbToSlider(u.sliderToDb(slider, true), true), slider, 1e-12) << slider;
        EXPECT_NEAR(u.linearToSlider(u.sliderToLinear(slider, true), true), slider, 1e-12);
    }
}

TEST(KivAudioUtilities, RelativeSliderScale) {
    const KivAudioUtilities u;
    EXPECT_DOUBLE_EQ(u.sliderToDb(0.5, false), 60.0);
    EXPECT_DOUBLE_EQ(u.sliderToDb(-0.5, false), -60.0);
    EXPECT_EQ(u.dbToSlider(-120.0, false), -1.0);
    EXPECT_DOUBLE_EQ(u.dbToSlider(-60.0, false), -0.5);
    EXPECT_DOUBLE_EQ(u.dbToSlider(60.0, false), 0.5);
}

TEST(KivAudioUtilities, LevelText) {
    KivAudioUtilities u;
    EXPECT_EQ(u.objectValueForDbLevel(-120.0), "");
    EXPECT_EQ(u.objectValueForDbLevel(3.0), "+3.0");
    EXPECT_EQ(u.objectValueForDbLevel(0.0), "0.0");
    EXPECT_EQ(u.objectValueForDbLevel(-6.25), "-6.2");

    EXPECT_EQ(u.dbLevelForObjectValue(""), -120.0);
    EXPECT_EQ(u.dbLevelForObjectValue("-inf"), -120.0);
    EXPECT_EQ(u.dbLevelForObjectValue("-INF"), -120.0);
    EXPECT_DOUBLE_EQ(u.dbLevelForObjectValue("6"), -6.0) << "a bare number is attenuation";
    EXPECT_DOUBLE_EQ(u.dbLevelForObjectValue("-6.5"), -6.5);
    EXPECT_DOUBLE_EQ(u.dbLevelForObjectValue("+3"), 3.0);
    EXPECT_EQ(u.dbLevelForObjectValue("loud"), -120.0);
    EXPECT_EQ(u.dbLevelForObjectValue("--3"), -120.0);
    EXPECT_EQ(u.dbLevelForObjectValue("inf"), -120.0);
    const double zero = u.dbLevelForObjectValue("0");
    EXPECT_EQ(zero, 0.0);
    EXPECT_FALSE(std::signbit(zero)) << "negative zero becomes 0";
    EXPECT_DOUBLE_EQ(u.levelForObjectValue("0"), 1.0);
    EXPECT_EQ(u.levelForObjectValue(""), 0.0);

    u.setMinVolumeDb(-60.0);
    EXPECT_EQ(u.dbLevelForObjectValue(""), -60.0);
    EXPECT_EQ(u.objectValueForDbLevel(-60.0), "");
}
