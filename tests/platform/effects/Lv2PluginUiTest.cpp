#include "ProcessorFixture.h"
#include "platform/effects/EffectPluginUi.h"

#include <string>

namespace {

// Counts what a view reports, so a view that never opened is seen to say nothing.
struct Reports {
    int writes = 0;
    int resizes = 0;

    EffectPluginUiCallbacks callbacks() {
        return EffectPluginUiCallbacks{[this](std::uint32_t, float) { ++writes; },
                                       [this](int, int) { ++resizes; }};
    }
};

} // namespace

using Lv2PluginUi_ = ProcessorFixture;

// Neither needs an X server: nothing is loaded, or loading fails before a window is made.
TEST_F(Lv2PluginUi_, APluginWithoutAnX11UiOpensNothingAndTellsNothing) {
    // No UI at all; a UI only a toolkit wrapper could show.
    for (const char* uri : {kTestGainControlsUri, kTestGainUri}) {
        auto processor = make(uri);
        ASSERT_NE(processor, nullptr) << uri;
        Reports reports;
        std::string failure = "left from before";
        EXPECT_EQ(processor->openUi(0, reports.callbacks(), failure), nullptr) << uri;
        EXPECT_EQ(failure, "") << uri;
        EXPECT_EQ(reports.writes + reports.resizes, 0) << uri;
    }
}

TEST_F(Lv2PluginUi_, AnX11UiThatCannotBeLoadedSaysWhy) {
    auto processor = make(kTestGainStereoUri);
    ASSERT_NE(processor, nullptr);
    ASSERT_EQ(prepare(*processor, 48000.0, 512, 2), kEffectNoErr);
    Reports reports;
    std::string failure;
    EXPECT_EQ(processor->openUi(0, reports.callbacks(), failure), nullptr);
    EXPECT_EQ(failure, "suil could not instantiate it");
    EXPECT_EQ(reports.writes + reports.resizes, 0);
    // The processor goes on as it was.
    EXPECT_EQ(processor->setParameter(kGainPort, -6.0f), kEffectNoErr);
    EXPECT_FLOAT_EQ(processor->parameter(kGainPort), -6.0f);
}
