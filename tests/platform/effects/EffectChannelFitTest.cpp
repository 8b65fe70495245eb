#include "platform/effects/EffectChannelFit.h"

#include <gtest/gtest.h>

using In = EffectChannelFit::Inputs;
using Out = EffectChannelFit::Outputs;

TEST(EffectChannelFit, OneInOneOutRunsOncePerChannel) {
    for (std::uint32_t channels : {1u, 2u, 6u}) {
        const auto fit = EffectChannelFit::of(1, 1, channels);
        ASSERT_TRUE(fit);
        EXPECT_EQ(fit->instances, channels);
        EXPECT_TRUE(fit->isDirect());
    }
    EXPECT_EQ(EffectChannelFit::layouts(1, 1), (std::vector<EffectChannelPair>{{-1, -1}}));
}

TEST(EffectChannelFit, OtherPluginsRunOnceMixingOrSpreadingWhereCountsDiffer) {
    struct Case {
        std::uint32_t inputs, outputs, channels;
        In in;
        Out out;
    };
    const Case cases[] = {
        {2, 2, 2, In::OneToOne, Out::OneToOne}, // as it stands
        {2, 2, 1, In::Spread, Out::Mix},        // stereo effect on a mono cue
        {1, 2, 1, In::OneToOne, Out::Mix},      // mono-to-stereo effect on a mono cue
        {1, 2, 2, In::Mix, Out::OneToOne},      // ... on a stereo cue
        {2, 1, 1, In::Spread, Out::OneToOne},   // stereo-to-mono effect on a mono cue
        {2, 1, 2, In::OneToOne, Out::Spread},   // ... on a stereo cue
        {6, 6, 1, In::Spread, Out::Mix},        {1, 6, 6, In::Mix, Out::OneToOne},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.inputs) + " in, " + std::to_string(c.outputs) + " out, " +
                     std::to_string(c.channels) + " channels");
        const auto fit = EffectChannelFit::of(c.inputs, c.outputs, c.channels);
        ASSERT_TRUE(fit);
        EXPECT_EQ(fit->instances, 1u);
        EXPECT_EQ(fit->in, c.in);
        EXPECT_EQ(fit->out, c.out);
        EXPECT_EQ(fit->isDirect(), c.in == In::OneToOne && c.out == Out::OneToOne);
    }
}

TEST(EffectChannelFit, PairingsWithoutOneSensibleWiringAreNotFitted) {
    EXPECT_FALSE(EffectChannelFit::of(2, 2, 3));
    EXPECT_FALSE(EffectChannelFit::of(2, 2, 6)) << "which pairs of six?";
    EXPECT_FALSE(EffectChannelFit::of(6, 6, 2));
    EXPECT_FALSE(EffectChannelFit::of(2, 6, 2));
    EXPECT_FALSE(EffectChannelFit::of(1, 2, 6));
    EXPECT_FALSE(EffectChannelFit::of(2, 2, 0));
    EXPECT_FALSE(EffectChannelFit::of(0, 2, 2));

    EXPECT_EQ(EffectChannelFit::layouts(2, 2), (std::vector<EffectChannelPair>{{2, 2}, {1, 1}}));
    EXPECT_EQ(EffectChannelFit::layouts(1, 2), (std::vector<EffectChannelPair>{{2, 2}, {1, 1}}));
    EXPECT_EQ(EffectChannelFit::layouts(2, 6), (std::vector<EffectChannelPair>{{1, 1}}))
        << "widest first; only what fits";
}
