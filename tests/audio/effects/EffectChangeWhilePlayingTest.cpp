#include "audio/SourceFixture.h"
#include "audio/ToneSteps.h"
#include "audio/effects/KivAudioComponentDescription.h"
#include "audio/effects/KivEffect.h"
#include "audio/effects/KivEffectUnit.h"
#include "audio/effects/KivLv2Catalogue.h"
#include "platform/effects/TestPlugins.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

// A steady tone through the test plugin's gain (which delays by 64 frames,
// one cycle) while its chain changes under it, every frame as the device
// puts it out. A change that silences the cue shows as a silent cycle; one
// that switches chains from one frame to the next, or lets a new plugin's
// empty delay line through, as a jump between two frames larger than the
// tone's own (with the allowance the gain ramps get: the tone's amplitude
// over a cycle).
class EffectChangeWhilePlaying : public SourceFixture {
protected:
    static constexpr float kAmplitude = 0.5f;

    EffectChangeWhilePlaying() {
        setComponentCatalogue(std::make_shared<KivLv2Catalogue>(testWorld()));
    }
    ~EffectChangeWhilePlaying() override { setComponentCatalogue(nullptr); }

    static std::shared_ptr<KivEffect> gain() {
        auto effect = KivEffect::effectWithDescription(
            KivAudioComponentDescription(kKivComponentTypeEffect, 0, 0, 0, 0, kTestGainUri));
        EXPECT_TRUE(effect);
        return effect;
    }

    static std::int32_t presetNumber(const KivEffect& effect, const std::string& name) {
        for (const EffectPreset& preset : effect.factoryPresets()) {
            if (preset.name == name) {
                return preset.number;
            }
        }
        ADD_FAILURE() << "no preset " << name;
        return -1;
    }

    static float peakOf(const std::vector<float>& samples) {
        float peak = 0.0f;
        for (const float sample : samples) {
            peak = std::max(peak, std::fabs(sample));
        }
        return peak;
    }
};

} // namespace

TEST_F(EffectChangeWhilePlaying, AddRemoveReorderAndAPresetNeitherSilenceNorClickASteadyTone) {
    const auto samples = ToneSteps::tone(1000.0, 3.0, kRate, kAmplitude);
    auto source = sourceOf(monoFile("tone.wav", samples));
    auto first = gain();
    source->setEffects({first});
    source->play();
    render(4); // past the plugin's delay
    const std::size_t start = capturedCycles();
    KivEffectUnit* firstUnit = first->unit();

    auto second = gain();
    source->addEffect(second);
    render(12);
    EXPECT_EQ(first->unit(), firstUnit) << "a plugin that stays keeps its instance";
    KivEffectUnit* secondUnit = second->unit();

    source->setEffects({second, first});
    render(12);
    EXPECT_TRUE(first->unit() == firstUnit || second->unit() == secondUnit)
        << "one of two swapped plugins keeps its instance";

    source->removeEffect(second);
    render(12);
    KivError error;
    ASSERT_TRUE(first->setFactoryPreset(presetNumber(*first, "Half"), "Half", &error));
    render(12);

    const std::size_t cycles = capturedCycles() - start;
    const auto heard = output(start, cycles);
    for (std::size_t c = 0; c < cycles; ++c) {
        const std::vector<float> cycle(heard.begin() + static_cast<std::ptrdiff_t>(c * kCycle),
                                       heard.begin() +
                                           static_cast<std::ptrdiff_t>((c + 1) * kCycle));
        ASSERT_GT(peakOf(cycle), 0.0f) << "cycle " << c << " is silent";
    }
    const float bound = ToneSteps::largestStep(samples) + kAmplitude / kCycle + 1e-6f;
    for (std::size_t f = 1; f < heard.size(); ++f) {
        ASSERT_LE(std::fabs(heard[f] - heard[f - 1]), bound) << "frame " << f;
    }
    EXPECT_EQ(source->missedCycles(), 0u);
    EXPECT_NEAR(peakOf(cycleOutput(capturedCycles() - 1, 0)), kAmplitude / 2, 0.01f)
        << "the preset's half gain";
    EXPECT_EQ(source->elapsedPlayTime(), static_cast<double>((4 + cycles) * kCycle) / kRate)
        << "the cue played on from where it was";
}

// Every change is heard: a plugin added, moved or given a preset takes over
// the sound once its crossfade ends, a plugin removed leaves it.
TEST_F(EffectChangeWhilePlaying, EachChangeTakesOverOnceItsCrossfadeEnds) {
    auto source = sourceOf(levelFile("level.wav", 0.5f, 2.0));
    auto first = gain();
    source->setEffects({first});
    source->play();
    render(4);
    const auto settled = [&] { return cycleOutput(render(12) + 11, 0); };
    EXPECT_EQ(settled(), constant(0.5f));

    auto second = gain();
    source->addEffect(second);
    ASSERT_TRUE(second->setValueForParameter(kGainPort, -6.0206f));
    EXPECT_NEAR(settled()[0], 0.5f * std::pow(10.0f, -6.0206f / 20.0f), 1e-6f);

    source->setEffects({second, first});
    EXPECT_NEAR(settled()[0], 0.5f * std::pow(10.0f, -6.0206f / 20.0f), 1e-6f)
        << "the moved plugin keeps its setting";

    source->removeEffect(second);
    EXPECT_EQ(settled(), constant(0.5f));

    ASSERT_TRUE(first->setFactoryPreset(presetNumber(*first, "Half"), "Half"));
    EXPECT_NEAR(settled()[0], 0.25f, 1e-4f);
    EXPECT_EQ(first->currentPresetName(), "Half");
}
