#include "CueEngineFixture.h"
#include "audio/effects/KivAudioComponentDescription.h"
#include "audio/effects/KivEffect.h"
#include "audio/effects/KivLv2Catalogue.h"
#include "platform/effects/TestPlugins.h"

#include <cmath>

namespace {

// A cue's effect chain of the test plugin's gains (each delays by one
// 64-frame cycle) while the cue plays a steady level, every frame as the
// device puts it out.
class AudioCueEffects : public CueEngineFixture {
protected:
    static constexpr float kLevel = 0.5f;

    AudioCueEffects() { setComponentCatalogue(std::make_shared<KivLv2Catalogue>(testWorld())); }
    ~AudioCueEffects() override { setComponentCatalogue(nullptr); }

    // Added to the cue's chain, which gives it its unit, then set.
    static std::shared_ptr<KivEffect> gainOn(AudioCue& cue, float decibels) {
        auto effect = KivEffect::effectWithDescription(
            KivAudioComponentDescription(kKivComponentTypeEffect, 0, 0, 0, 0, kTestGainUri));
        EXPECT_TRUE(effect);
        cue.addEffect(effect);
        EXPECT_TRUE(effect->setValueForParameter(kGainPort, decibels));
        return effect;
    }
    static float gainOf(const std::shared_ptr<KivEffect>& effect) {
        return std::pow(10.0f, effect->valueForParameter(kGainPort) / 20.0f);
    }

    // Over `cycles` cycles no frame falls silent or lets the dry sound
    // through (the hand-over to a rebuilt chain may dip for a few cycles),
    // and the last cycle is back at `expected`.
    void expectPlaysThrough(float expected, std::uint32_t cycles, const char* after) {
        const std::size_t first = render(cycles);
        const auto heard = output(first, cycles);
        for (std::size_t f = 0; f < heard.size(); ++f) {
            ASSERT_GT(heard[f], 0.5f * expected) << "frame " << f << " after " << after;
            ASSERT_LT(heard[f], 1.01f * expected) << "frame " << f << " after " << after;
        }
        for (std::size_t f = heard.size() - kCycle; f < heard.size(); ++f) {
            ASSERT_NEAR(heard[f], expected, 1e-6f) << "frame " << f << " after " << after;
        }
    }
};

TEST_F(AudioCueEffects, UpdateAndMoveRebuildTheChainInItsOrderAndThePlayGoesOnThroughThem) {
    auto cue = cueOf(levelFile("level.wav", kLevel, 10.0));
    auto half = gainOn(*cue, -6.0f);
    auto quarter = gainOn(*cue, -12.0f);
    cue->play();
    render(8);
    const float through = kLevel * gainOf(half) * gainOf(quarter);
    expectPlaysThrough(through, 4, "the start");
    int changes = 0;
    auto observation = cue->effectsChanged().connect([&] { ++changes; });

    const double before = cue->elapsedTime();
    cue->updateEffects();
    EXPECT_EQ(changes, 1);
    expectPlaysThrough(through, 40, "updateEffects");
    EXPECT_NEAR(cue->elapsedTime(), before + 40.0 * kCycle / kRate, 1.0 / kRate)
        << "the cue plays on from where it was";
    EXPECT_FLOAT_EQ(half->valueForParameter(kGainPort), -6.0f);
    EXPECT_FLOAT_EQ(quarter->valueForParameter(kGainPort), -12.0f);
    EXPECT_EQ(cue->audioSource()->effects(), cue->effects());

    cue->moveEffectAtIndex(1, 0);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(cue->effects(), (std::vector<std::shared_ptr<KivEffect>>{quarter, half}));
    EXPECT_EQ(cue->audioSource()->effects(), cue->effects()) << "the source's chain follows";
    expectPlaysThrough(through, 40, "a move");
    EXPECT_TRUE(cue->isPlaying());

    // An idle cue's chain is rebuilt the same way and plays through it.
    cue->stop();
    render(4);
    cue->updateEffects();
    EXPECT_EQ(cue->audioSource()->effects(), cue->effects());
    cue->play();
    render(8);
    expectPlaysThrough(through, 4, "a play after the update");
}

} // namespace
