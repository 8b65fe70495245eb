#include "audio/SourceFixture.h"
#include "audio/effects/KivAudioComponentDescription.h"
#include "audio/effects/KivEffect.h"
#include "audio/effects/KivEffectUnit.h"
#include "audio/effects/KivLv2Catalogue.h"
#include "audio/render/ChannelMeter.h"
#include "audio/render/KivFadeCurve.h"
#include "platform/alias/KivAlias.h"
#include "platform/effects/TestPlugins.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

class AudioSourceMix : public SourceFixture {
protected:
    AudioSourceMix() { setComponentCatalogue(std::make_shared<KivLv2Catalogue>(testWorld())); }
    ~AudioSourceMix() override { setComponentCatalogue(nullptr); }

    // The test plugin's mono gain at 0 dB: it delays by one 64-frame cycle.
    static std::shared_ptr<KivEffect> delayingGain() {
        auto effect = KivEffect::effectWithDescription(
            KivAudioComponentDescription(kKivComponentTypeEffect, 0, 0, 0, 0, kTestGainUri));
        EXPECT_TRUE(effect);
        return effect;
    }
};

TEST_F(AudioSourceMix, RoutingOneSourceLeavesTheOthersOnTheDeviceAlone) {
    auto moved = sourceOf(levelFile("moved.wav", 0.25f));
    auto stays = sourceOf(levelFile("stays.wav", 0.125f));
    moved->setCrosspointVolume(0.0f, 0, 0);
    moved->setCrosspointVolume(1.0f, 0, 1);
    moved->play();
    stays->play();
    const std::size_t cycle = render();
    EXPECT_EQ(cycleOutput(cycle, 0), constant(0.125f));
    EXPECT_EQ(cycleOutput(cycle, 1), constant(0.25f));
}

TEST_F(AudioSourceMix, RowsAndColumnsAddressMasterOutputsInputsAndCrosspoints) {
    auto source = sourceOf(levelFile("a.wav", 0.5f));
    source->play();
    source->setVolume(0.5f, 0, 0);
    EXPECT_EQ(source->masterVolume(), 0.5f);
    source->setVolume(0.5f, 1, 0);
    source->setVolume(1.0f, 1, 2);
    source->setVolume(0.5f, 0, 2);
    // Channels past the mixer's are ignored.
    source->setVolume(0.0f, 2, 0);
    source->setVolume(0.0f, 0, 49);
    const std::size_t cycle = render();
    EXPECT_EQ(cycleOutput(cycle, 0), constant(0.5f * 0.5f * 0.5f));
    EXPECT_EQ(cycleOutput(cycle, 1), constant(0.5f * 0.5f * 0.5f * 0.5f));

    source->setSilentVolumes();
    render(); // a change ramps across one cycle
    EXPECT_EQ(cycleOutput(render(), 0), constant(0.0f));
    source->setDefaultVolumes();
    const std::size_t restored = render(2) + 1;
    EXPECT_EQ(cycleOutput(restored, 0), constant(0.5f));
    EXPECT_EQ(cycleOutput(restored, 1), constant(0.0f)) << "other crosspoints stay silent";
}

TEST_F(AudioSourceMix, AFadeFollowsTheRaisedCosineAndAStopEndsItWhereItIs) {
    auto source = sourceOf(levelFile("a.wav", 0.5f, 10.0));
    source->play();
    source->fadeToMasterVolume(0.0f, 2.0);
    source->stepFades();
    for (const double at : {0.5, 1.0, 1.5}) {
        clock.advance(0.5);
        source->stepFades();
        EXPECT_EQ(source->masterVolume(), computeFade(1.0f, 0.0f, 2.0, at)) << at;
    }
    source->stop();
    clock.advance(1.0);
    source->stepFades();
    EXPECT_EQ(source->masterVolume(), computeFade(1.0f, 0.0f, 2.0, 1.5));

    // A fade that reaches its end sets the final value.
    source->play();
    source->fadeToMasterVolume(0.25f, 0.1);
    source->stepFades();
    clock.advance(0.1);
    source->stepFades();
    EXPECT_EQ(source->masterVolume(), 0.25f);
}

TEST_F(AudioSourceMix, AFadeOfASourceThatIsNotPlayingDoesNothing) {
    auto source = sourceOf(levelFile("a.wav", 0.5f));
    source->fadeToMasterVolume(0.0f, 1.0);
    source->stepFades();
    clock.advance(1.0);
    source->stepFades();
    EXPECT_EQ(source->masterVolume(), 1.0f);
}

// An effect change plays on from the same place: the new chain runs beside
// the old one for the new plugin's latency (its delay line fills), then the
// output crossfades to it; the levels stay.
TEST_F(AudioSourceMix, AnEffectChangeWhilePlayingKeepsThePlaceAndTheLevels) {
    auto source = sourceOf(rampFile("ramp.wav"));
    source->setCrosspointVolume(0.5f, 0, 0);
    source->play();
    render(10);
    auto gain = delayingGain();
    source->addEffect(gain);
    source->addEffect(gain);
    source->addEffect(nullptr);
    EXPECT_EQ(source->effects().size(), 1u);
    EXPECT_TRUE(source->isPlaying());
    EXPECT_EQ(source->elapsedPlayTime(), 10.0 * kCycle / kRate);
    KivEffectUnit* unit = gain->unit();
    const std::size_t first = render(6);
    EXPECT_EQ(cycleOutput(first, 0), ramp(10 * kCycle, kCycle, 0.5f))
        << "the old chain while the plugin's delay line fills";
    EXPECT_EQ(cycleOutput(first + 5, 0), ramp(15 * kCycle - kCycle, kCycle, 0.5f))
        << "the new chain, one cycle behind, once the crossfade is over";

    source->removeEffect(delayingGain());
    EXPECT_EQ(source->effects().size(), 1u) << "an effect not in the chain is ignored";
    EXPECT_EQ(gain->unit(), unit);
    source->removeEffect(gain);
    EXPECT_TRUE(source->effects().empty());
    const std::size_t after = render(6);
    EXPECT_EQ(cycleOutput(after + 5, 0), ramp((16 + 5) * kCycle, kCycle, 0.5f));
    EXPECT_EQ(source->tailTime(), 0.0);
}

TEST_F(AudioSourceMix, ASlicedSourceLoopsWithoutAGap) {
    auto source = sourceOf(rampFile("ramp.wav"));
    ASSERT_TRUE(source->setSlices(
        nlohmann::json::array({{{"startTime", 0.5}, {"endTime", 0.65}, {"playCount", -1}}})));
    source->play();
    const std::size_t loop = 0.15 * kRate;
    const std::uint32_t cycles = static_cast<std::uint32_t>(2 * loop / kCycle) + 1;
    const auto played = output(render(cycles), cycles);
    // Started inside the file, it rises from silence over the first call.
    EXPECT_EQ(std::vector<float>(played.begin(), played.begin() + kCycle),
              risen(ramp(kRate / 2, kCycle)));
    for (std::size_t f = kCycle; f < 2 * loop; ++f) {
        ASSERT_EQ(played[f], static_cast<float>(kRate / 2 + f % loop) * kStep) << f;
    }
    EXPECT_FALSE(source->setSlices(
        nlohmann::json::array({{{"startTime", 0.5}, {"endTime", 0.55}, {"playCount", 1}}})))
        << "shorter than the shortest slice";
    const nlohmann::json slices = source->slices();
    ASSERT_EQ(slices.size(), 1u) << "a refused list leaves the last one";
    EXPECT_EQ(slices[0]["startTime"], 0.5);
    EXPECT_EQ(slices[0]["endTime"], 0.65);
    EXPECT_EQ(slices[0]["playCount"], -1);
}

TEST_F(AudioSourceMix, MetersReadTheFeedAfterTheSourcesGains) {
    auto source = sourceOf(levelFile("a.wav", 0.5f, 5.0));
    // The meters run from the first read on; that read gives the floor.
    EXPECT_EQ(source->outPostPeakHoldLevelAtChannel(0), kMeterFloorDb);
    EXPECT_EQ(source->outPostAveragePowerAtChannel(0), kMeterFloorDb);
    source->setMasterVolume(0.5f);
    source->play();
    render(static_cast<std::uint32_t>(2 * kRate / kCycle));
    EXPECT_NEAR(source->outPostPeakHoldLevelAtChannel(0), -12.04f, 0.01f) << "0.5 times 0.5";
    EXPECT_NEAR(source->outPostAveragePowerAtChannel(0), -12.04f, 0.05f) << "a constant level";
    EXPECT_EQ(source->outPostPeakHoldLevelAtChannel(1), kMeterFloorDb) << "nothing routed there";

    auto unplayable = KivAudioSource::create(scheduler, clock);
    EXPECT_EQ(unplayable->outPostPeakHoldLevelAtChannel(0), kMeterFloorDb) << "no stream";
    EXPECT_EQ(unplayable->outPostAveragePowerAtChannel(0), kMeterFloorDb);
}

// Rebuilds (a new file) and effect changes on the control thread while
// another thread renders: the changed source plays its level, silence, or a
// crossfade between the two, and the other source on the device never
// misses a cycle. Only the steady source's read-ahead is tended.
TEST_F(AudioSourceMix, RebuildsAndEffectChangesWhileRenderingNeverStallTheOtherSources) {
    const std::string levels[] = {levelFile("rebuilt.wav", 0.25f), levelFile("again.wav", 0.25f)};
    auto rebuilt = sourceOf(levels[0]);
    auto steady = sourceOf(levelFile("steady.wav", 0.125f, 30.0));
    rebuilt->setCrosspointVolume(0.0f, 0, 0);
    rebuilt->setCrosspointVolume(1.0f, 0, 1);
    rebuilt->play();
    steady->play();
    render(4);
    std::atomic<bool> rendering{true};
    std::thread renderer([&] {
        while (rendering.load()) {
            steady->tendBuffers();
            OpenDeviceFixture::render();
        }
    });
    auto gain = delayingGain();
    for (int i = 0; i < 40; ++i) {
        rebuilt->addEffect(gain);
        rebuilt->removeEffect(gain);
        rebuilt->setAlias(KivAlias::aliasWithPath(levels[(i + 1) % 2]));
    }
    rendering = false;
    renderer.join();
    for (std::size_t c = 4; c < capturedCycles(); ++c) {
        ASSERT_EQ(cycleOutput(c, 0), constant(0.125f)) << c;
        const auto other = cycleOutput(c, 1);
        for (const float sample : other) {
            ASSERT_TRUE(sample >= 0.0f && sample <= 0.25f) << c;
        }
    }
    EXPECT_TRUE(rebuilt->isPlaying());
}

} // namespace
