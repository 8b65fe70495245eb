#include "audio/SourceFixture.h"
#include "audio/ToneSteps.h"
#include "audio/effects/KivAudioComponentDescription.h"
#include "audio/effects/KivEffect.h"
#include "audio/effects/KivLv2Catalogue.h"
#include "foundation/ThreadRole.h"
#include "platform/effects/Lv2Processor.h"
#include "platform/effects/TestPlugins.h"

#include <gtest/gtest.h>

#include <cmath>
#include <mutex>
#include <string>

namespace {

constexpr const char* kMda = "http://drobilla.net/plugins/mda/";
constexpr float kHalfGainDb = -6.0206f;
constexpr float kHalf = 0.5f; // 10^(kHalfGainDb / 20), near enough for 1e-6

// Effects of other channel counts than the cue's on a mono cue, every frame
// as the offline device puts it out (file channel 0 on output 0, at unity).
class EffectsOnAMonoCue : public SourceFixture {
protected:
    static constexpr std::uint32_t kCycles = 40;

    EffectsOnAMonoCue() { setComponentCatalogue(std::make_shared<KivLv2Catalogue>(testWorld())); }
    ~EffectsOnAMonoCue() override { setComponentCatalogue(nullptr); }

    static std::shared_ptr<KivEffect> effect(const std::string& uri) {
        auto made = KivEffect::effectWithDescription(
            KivAudioComponentDescription(kKivComponentTypeEffect, 0, 0, 0, 0, uri));
        EXPECT_TRUE(made) << uri;
        return made;
    }

    // What the cue of `samples` puts out over kCycles cycles with `plugin`
    // (none: dry) given `parameters` once it is on the cue.
    std::vector<float> played(const std::string& name, const std::vector<float>& samples,
                              const std::shared_ptr<KivEffect>& plugin,
                              const std::vector<std::pair<std::uint32_t, float>>& parameters = {}) {
        auto source = sourceOf(monoFile(name, samples));
        if (plugin) {
            source->setEffects({plugin});
            EXPECT_EQ(plugin->inputChannels(), 1u) << "the effect takes the cue's one channel";
            EXPECT_EQ(plugin->outputChannels(), 1u);
            for (const auto& [id, value] : parameters) {
                EXPECT_TRUE(plugin->setValueForParameter(id, value));
            }
        }
        source->play();
        const std::size_t first = render(kCycles);
        EXPECT_EQ(source->missedCycles(), 0u);
        // Silent from the next cycle on, so the next cue is heard alone.
        source->hardStop();
        render();
        return output(first, kCycles);
    }

    // The plugin run as a stereo effect on the samples on both sides, in the
    // device's cycles: each side's output.
    static std::vector<std::vector<float>>
    stereoReference(const std::string& uri, const std::vector<float>& samples,
                    const std::vector<std::pair<std::uint32_t, float>>& parameters) {
        std::mutex renderLock;
        std::int32_t status = -1;
        auto processor = Lv2Processor::create(testWorld(), uri, renderLock, status);
        EXPECT_TRUE(processor);
        if (!processor) {
            return {};
        }
        {
            EffectRenderLock held(renderLock);
            EXPECT_EQ(processor->prepare(held, kRate, 4096, 2), 0);
        }
        for (const auto& [id, value] : parameters) {
            processor->setParameter(id, value);
        }
        std::vector<std::vector<float>> sides(2, std::vector<float>(kCycles * kCycle));
        std::vector<float> left(kCycle), right(kCycle);
        for (std::uint32_t c = 0; c < kCycles; ++c) {
            for (std::uint32_t f = 0; f < kCycle; ++f) {
                left[f] = right[f] = samples[c * kCycle + f];
            }
            const float* in[] = {left.data(), right.data()};
            float* out[] = {left.data(), right.data()};
            {
                std::lock_guard held(renderLock);
                ScopedThreadRole role(ThreadRole::Render);
                processor->process(in, out, kCycle);
            }
            std::copy(left.begin(), left.end(), sides[0].begin() + c * kCycle);
            std::copy(right.begin(), right.end(), sides[1].begin() + c * kCycle);
        }
        return sides;
    }

    static double rmsDifference(const std::vector<float>& a, const std::vector<float>& b) {
        double sum = 0.0;
        for (std::size_t f = 0; f < a.size(); ++f) {
            sum += (double(a[f]) - b[f]) * (double(a[f]) - b[f]);
        }
        return std::sqrt(sum / double(a.size()));
    }
};

} // namespace

TEST_F(EffectsOnAMonoCue, EachPluginHearsTheChannelOnEveryInputAndGivesBackItsOutputsMean) {
    const std::vector<float> ramp = SourceFixture::ramp(0, kCycles * kCycle);
    struct Case {
        const char* uri;
        float gain; // of the ramp, at half gain
    };
    for (const Case& c : {Case{kTestGainStereoUri, kHalf}, Case{kTestGainWidenUri, 0.75f * kHalf},
                          Case{kTestGainNarrowUri, 0.5f * kHalf}}) {
        SCOPED_TRACE(c.uri);
        const auto heard = played(std::to_string(c.gain) + ".wav", ramp, effect(c.uri),
                                  {{kGainPort, kHalfGainDb}});
        for (std::size_t f = 0; f < heard.size(); ++f) {
            ASSERT_NEAR(heard[f], c.gain * ramp[f], 1e-6f) << "frame " << f;
        }
    }
}

TEST_F(EffectsOnAMonoCue, AnMdaStereoEffectChangesTheToneAsOnBothSidesAveraged) {
    if (!testWorld()->plugin(std::string(kMda) + "Overdrive")) {
        GTEST_SKIP() << "mda-lv2 is not installed";
    }
    const auto tone = ToneSteps::tone(441.0, 1.0, kRate, 0.5f);
    const auto dry = played("dry.wav", tone, nullptr);
    for (std::size_t f = 0; f < dry.size(); ++f) {
        ASSERT_EQ(dry[f], tone[f]) << "the dry cue is the file, frame " << f;
    }

    struct Case {
        const char* name;
        std::vector<std::pair<std::uint32_t, float>> parameters;
    };
    // Overdrive treats its sides alike; Stereo makes them differ, so that
    // only their mean matches.
    for (const Case& c : {Case{"Overdrive", {{0, 1.0f}}}, Case{"Stereo", {{0, 0.9f}}}}) {
        SCOPED_TRACE(c.name);
        const std::string uri = std::string(kMda) + c.name;
        const auto wet = played(std::string(c.name) + ".wav", tone, effect(uri), c.parameters);
        EXPECT_GT(rmsDifference(wet, dry), 0.01) << "the effect is heard";

        const auto sides = stereoReference(uri, tone, c.parameters);
        ASSERT_EQ(sides.size(), 2u);
        if (std::string(c.name) == "Stereo") {
            ASSERT_GT(rmsDifference(sides[0], sides[1]), 0.01) << "its sides differ";
        }
        for (std::size_t f = 0; f < wet.size(); ++f) {
            ASSERT_NEAR(wet[f], 0.5f * (sides[0][f] + sides[1][f]), 1e-5f) << "frame " << f;
        }
    }
}
