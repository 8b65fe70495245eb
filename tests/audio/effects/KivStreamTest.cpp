#include "audio/effects/KivStream.h"

#include "audio/EffectFixture.h"
#include "support/CapturingLogSink.h"

#include <gtest/gtest.h>

namespace {

using KivStreamTest = EffectFixture;

} // namespace

TEST_F(KivStreamTest, AnEffectsUnitAndComponentAreFoundOnlyInItsOwnStream) {
    auto gain = KivEffect::effectWithDescription(gainDescription());
    auto stereo = KivEffect::effectWithDescription(gainDescription(kTestGainStereoUri));
    ASSERT_TRUE(stream.addEffect(*gain));
    ASSERT_TRUE(stream.addEffect(*stereo));
    EXPECT_EQ(stream.unitForEffect(*gain), gain->unit());
    EXPECT_EQ(stream.componentDescriptionForEffect(*gain), gainDescription());
    EXPECT_EQ(stream.componentDescriptionForEffect(*stereo), gainDescription(kTestGainStereoUri));

    KivStream other;
    ASSERT_TRUE(other.create());
    CapturingLogSink log;
    EXPECT_EQ(other.unitForEffect(*gain), nullptr);
    EXPECT_FALSE(other.componentDescriptionForEffect(*gain));
    const auto lines = log.lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines.front().rfind("Error: -10860 [", 0), 0u) << lines.front();
    EXPECT_NE(lines.front().find("] | componentDescriptionForEffect [line "), std::string::npos);

    ASSERT_TRUE(stream.removeEffect(gain.get()));
    EXPECT_FALSE(stream.componentDescriptionForEffect(*gain)) << "gone with its node";
    EXPECT_EQ(stream.componentDescriptionForEffect(*stereo), gainDescription(kTestGainStereoUri));
    other.destroy();
}
