#include "platform/effects/EffectCatalogue.h"

#include "TestPlugins.h"
#include "foundation/KivEnvironment.h"
#include "platform/effects/EffectStatus.h"
#include "support/CapturingLogSink.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

TEST(EffectCatalogue, ListsTheTestPluginsUnderTheirMaker) {
    const EffectCatalogue catalogue(*testWorld());
    const EffectComponent* gain = catalogue.find(kTestGainUri);
    ASSERT_NE(gain, nullptr);
    EXPECT_EQ(gain->maker, "Pondra Tests");
    EXPECT_EQ(gain->name, "Test Gain");
    EXPECT_EQ(gain->componentName(), "Pondra Tests: Test Gain");
    EXPECT_EQ(gain->type, kEffectTypeEffect);
    EXPECT_EQ(gain->audioInputs, 1u);
    EXPECT_EQ(gain->audioOutputs, 1u);

    const EffectComponent* stereo = catalogue.find(kTestGainStereoUri);
    ASSERT_NE(stereo, nullptr);
    EXPECT_EQ(stereo->audioInputs, 2u);
    EXPECT_EQ(stereo->audioOutputs, 2u);
}

TEST(EffectCatalogue, SortsByUri) {
    const EffectCatalogue catalogue(*testWorld());
    const auto& components = catalogue.components();
    ASSERT_GE(components.size(), 3u);
    EXPECT_TRUE(std::is_sorted(components.begin(), components.end(),
                               [](const auto& a, const auto& b) { return a.uri < b.uri; }));
}

TEST(EffectCatalogue, AMidiInputMakesAMusicEffect) {
    const EffectCatalogue catalogue(*testWorld());
    const EffectComponent* midi = catalogue.find(kTestGainMidiUri);
    ASSERT_NE(midi, nullptr);
    EXPECT_EQ(midi->type, kEffectTypeMusicEffect);

    const auto music = catalogue.componentsOfType(kEffectTypeMusicEffect);
    EXPECT_TRUE(std::any_of(music.begin(), music.end(),
                            [](const auto& c) { return c.uri == kTestGainMidiUri; }));
    const auto effects = catalogue.componentsOfType(kEffectTypeEffect);
    EXPECT_TRUE(std::none_of(effects.begin(), effects.end(),
                             [](const auto& c) { return c.uri == kTestGainMidiUri; }));
    EXPECT_TRUE(std::all_of(effects.begin(), effects.end(),
                            [](const auto& c) { return c.type == kEffectTypeEffect; }));
}

TEST(EffectCatalogue, UnknownTypesAndUrisFindNothing) {
    const EffectCatalogue catalogue(*testWorld());
    EXPECT_TRUE(catalogue.componentsOfType(fourCharCode("aumu")).empty());
    EXPECT_EQ(catalogue.find("http://pondra.invalid/test/none"), nullptr);
}

TEST(EffectCatalogue, LeavesOutPluginsNeedingFeaturesTheHostLacks) {
    ASSERT_NE(testWorld()->plugin(kTestGainWorkerUri), nullptr);
    const std::string warning = std::string("Warning: skipping LV2 plugin ") + kTestGainWorkerUri +
                                "; it requires http://lv2plug.in/ns/ext/worker#schedule";
    auto warned = [&](const CapturingLogSink& log) {
        const auto lines = log.lines();
        return std::find(lines.begin(), lines.end(), warning) != lines.end();
    };
    {
        CapturingLogSink log;
        const EffectCatalogue catalogue(*testWorld());
        EXPECT_EQ(catalogue.find(kTestGainWorkerUri), nullptr);
        EXPECT_FALSE(warned(log)); // log level 0 keeps warnings quiet
    }
    KivEnvironment::setLogLevel(1);
    CapturingLogSink log;
    const EffectCatalogue catalogue(*testWorld());
    KivEnvironment::setLogLevel(0);
    EXPECT_TRUE(warned(log));
}

TEST(EffectCatalogue, LeavesOutPluginsWithoutAudioInput) {
    // mda's synthesizers have audio outputs only; they are instruments, not effects.
    const EffectCatalogue catalogue(*testWorld());
    if (!testWorld()->plugin("http://drobilla.net/plugins/mda/JX10")) {
        GTEST_SKIP() << "mda-lv2 is not installed";
    }
    EXPECT_EQ(catalogue.find("http://drobilla.net/plugins/mda/JX10"), nullptr);
    EXPECT_NE(catalogue.find("http://drobilla.net/plugins/mda/Delay"), nullptr);
}

TEST(EffectComponent, NameWithoutMakerIsTheBareName) {
    EffectComponent component;
    component.name = "Gain";
    EXPECT_EQ(component.componentName(), "Gain");
}
