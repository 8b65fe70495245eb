#include "audio/effects/KivEffectChain.h"

#include "audio/ShapingProcessor.h"
#include "audio/effects/KivEffectUnit.h"
#include "foundation/ThreadRole.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

using Units = std::vector<std::shared_ptr<KivEffectUnit>>;

// Chains of mono units that scale their input, at 1 kHz so that the fade is
// five frames (KivEffectChain::kFadeSeconds) and a latency of 10 ms ten.
class KivEffectChainTest : public ::testing::Test {
protected:
    static constexpr double kRate = 1000.0;
    static constexpr std::uint32_t kMaxFrames = 64;

    std::shared_ptr<KivEffectUnit> scaling(float factor, double latencySeconds = 0.0) {
        auto unit = std::make_shared<KivEffectUnit>(
            KivAudioComponentDescription(kKivComponentTypeEffect, 0, 0, 0, 0, "urn:scale"),
            std::make_unique<ShapingProcessor>(
                _lock, [factor](float x) { return factor * x; }, latencySeconds));
        const KivAudioStreamDescription format(kRate, 1);
        EXPECT_EQ(unit->setInputFormat(format), 0);
        EXPECT_EQ(unit->setOutputFormat(format), 0);
        EffectRenderLock held(_lock);
        EXPECT_EQ(unit->initialize(held, kMaxFrames), 0);
        return unit;
    }

    static KivEffectChain chain(Units units, const KivEffectChain* from = nullptr) {
        return KivEffectChain(std::move(units), from, 1, kMaxFrames, kRate);
    }

    // The way from the chain `to` follows, over a constant 1.0 in calls of
    // `frames`, until `total` frames.
    static std::vector<float> transition(KivEffectChain& to, std::uint32_t total,
                                         std::uint32_t frames) {
        std::vector<float> heard(total, 1.0f);
        ScopedThreadRole role(ThreadRole::Render);
        for (std::uint32_t done = 0; done < total; done += frames) {
            float* channels[] = {heard.data() + done};
            EXPECT_EQ(to.processTransition(AudioChannels{channels, 1, frames}, done), 0);
        }
        return heard;
    }

private:
    std::mutex _lock;
};

} // namespace

TEST_F(KivEffectChainTest, UnitsKeepTheirPlaceUnlessTheOrderAroundThemChanged) {
    auto a = scaling(2.0f);
    auto b = scaling(3.0f);
    auto c = scaling(0.5f);
    const KivEffectChain abc = chain({a, b, c});
    EXPECT_TRUE(KivEffectChain::moved(&abc, {a, b, c}).empty());
    EXPECT_TRUE(KivEffectChain::moved(&abc, {a, c}).empty()) << "one removed";
    EXPECT_TRUE(KivEffectChain::moved(&abc, {a, scaling(1.0f), b, c}).empty()) << "one added";
    EXPECT_EQ(KivEffectChain::moved(&abc, {c, a, b}), std::vector<KivEffectUnit*>{c.get()});
    EXPECT_EQ(KivEffectChain::moved(&abc, {b, a, c}).size(), 1u) << "one of a swapped pair";
    EXPECT_TRUE(KivEffectChain::moved(nullptr, {c, b, a}).empty());

    EXPECT_EQ(chain({a, b, c}, &abc).follows(), nullptr) << "the same units: nothing to cross";
    EXPECT_EQ(chain({a, c}, &abc).follows(), &abc);
    EXPECT_EQ(chain({b, a, c}, &abc).follows(), nullptr)
        << "a unit that would run twice a block: no way, the new chain at once";
}

TEST_F(KivEffectChainTest, ANewUnitWarmsUpForItsLatencyThenTheOutputCrossfadesToIt) {
    auto doubling = scaling(2.0f);
    const KivEffectChain before = chain({doubling});
    KivEffectChain after = chain({doubling, scaling(3.0f, 0.010)}, &before);
    ASSERT_EQ(after.follows(), &before);
    EXPECT_EQ(after.transitionFrames(), 15u);
    // Calls of 4 frames: the warm-up and the fade end inside calls.
    const auto heard = transition(after, 20, 4);
    const std::vector<float> expected = {2.0f, 2.0f, 2.0f, 2.0f, 2.0f, 2.0f, 2.0f,
                                         2.0f, 2.0f, 2.0f, 2.8f, 3.6f, 4.4f, 5.2f,
                                         6.0f, 6.0f, 6.0f, 6.0f, 6.0f, 6.0f};
    ASSERT_EQ(heard.size(), expected.size());
    for (std::size_t f = 0; f < expected.size(); ++f) {
        EXPECT_FLOAT_EQ(heard[f], expected[f]) << f;
    }
}

TEST_F(KivEffectChainTest, AStretchThatChangesCrossfadesWhereItEndsAndTheRestRunsOnce) {
    auto doubling = scaling(2.0f);
    auto halving = scaling(0.5f);
    auto removed = scaling(3.0f);
    const KivEffectChain before = chain({doubling, removed, halving});
    // Out of the middle: no warm-up, the halving unit hears the crossfade.
    KivEffectChain after = chain({doubling, halving}, &before);
    EXPECT_EQ(after.transitionFrames(), 5u);
    const auto heard = transition(after, 8, 8);
    const std::vector<float> expected = {2.6f, 2.2f, 1.8f, 1.4f, 1.0f, 1.0f, 1.0f, 1.0f};
    for (std::size_t f = 0; f < expected.size(); ++f) {
        EXPECT_FLOAT_EQ(heard[f], expected[f]) << f;
    }
    float sample = 1.0f;
    float* channels[] = {&sample};
    ScopedThreadRole role(ThreadRole::Render);
    EXPECT_EQ(after.process(AudioChannels{channels, 1, 1}), 0);
    EXPECT_FLOAT_EQ(sample, 1.0f) << "once over, the chain alone";
}
