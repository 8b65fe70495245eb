#include "audio/effects/KivEffectBus.h"

#include "audio/EffectFixture.h"
#include "audio/MissingEffect.h"
#include "foundation/KivKeyedDecoder.h"
#include "foundation/KivKeyedEncoder.h"
#include "support/CapturingLogSink.h"
#include "support/RenderThreadAllocations.h"

#include <gtest/gtest.h>

namespace {

class KivEffectBusTest : public EffectFixture {
protected:
    std::shared_ptr<KivEffect> make(const char* uri) {
        auto effect = KivEffect::effectWithDescription(gainDescription(uri));
        EXPECT_TRUE(effect);
        return effect;
    }

    // The audio source's order of calls around a rebuild.
    void build(KivEffectBus& bus, const KivAudioStreamDescription& format) {
        bus.saveState();
        bus.removeEffectsFromStream(stream);
        stream.uninitialize();
        bus.addEffectsToStream(stream);
        stream.open();
        bus.setChannels(format.channels());
        bus.restoreState();
        bus.setFormat(format);
        bus.setProperties();
        stream.initialize();
        bus.setParameters();
    }
};

} // namespace

TEST_F(KivEffectBusTest, AStereoPluginRefusingASixChannelChainStaysInItOutOfThePath) {
    auto first = make(kTestGainUri);
    auto stereo = make(kTestGainStereoUri);
    auto last = make(kTestGainUri);
    KivEffectBus bus(6);
    bus.setName("cue");
    for (const auto& effect : {first, stereo, last}) {
        bus.addEffect(effect);
    }
    int fitChanges = 0;
    Connection fit = stereo->fitChanged().connect([&] { ++fitChanges; });
    CapturingLogSink log;
    build(bus, KivAudioStreamDescription(48000.0, 6));
    EXPECT_EQ(stereo->refusedChannels(), 6u) << "the effect knows why it is left out";
    EXPECT_EQ(first->refusedChannels(), 0u);
    EXPECT_EQ(fitChanges, 1);

    EXPECT_EQ(bus.effects(), (std::vector<std::shared_ptr<KivEffect>>{first, stereo, last}));
    EXPECT_EQ(bus.usedEffects(), (std::vector<std::shared_ptr<KivEffect>>{first, last}))
        << "list order is processing order";
    EXPECT_EQ(bus.firstUsedEffect(), first);
    EXPECT_EQ(bus.lastUsedEffect(), last);
    EXPECT_TRUE(stream.containsEffect(*stereo));
    const auto lines = log.lines();
    const auto refused = [&](const std::string& side) {
        return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
            return line.rfind("Error: Test Gain Stereo does not support " + side + " format: [",
                              0) == 0;
        });
    };
    EXPECT_TRUE(refused("input"));
    EXPECT_TRUE(refused("output"));

    // The same chain in stereo takes all three, and so does a mono one: the
    // stereo plugin is fitted to it.
    for (const std::uint32_t channels : {2u, 1u}) {
        CapturingLogSink refusals;
        build(bus, KivAudioStreamDescription(48000.0, channels));
        EXPECT_EQ(bus.usedEffects(), (std::vector<std::shared_ptr<KivEffect>>{first, stereo, last}))
            << channels;
        EXPECT_TRUE(refusals.lines().empty()) << channels;
        EXPECT_EQ(stereo->refusedChannels(), 0u);
    }
    EXPECT_EQ(fitChanges, 2) << "told on each change only";
    EXPECT_EQ(bus.description(), "[cue with 3 effects]");
}

TEST_F(KivEffectBusTest, EffectsRemovedFromTheChainLeaveTheStreamAtTheNextRemoval) {
    auto a = make(kTestGainUri);
    auto b = make(kTestGainUri);
    KivEffectBus bus;
    bus.addEffect(a);
    bus.addEffect(a);
    bus.addEffect(nullptr);
    bus.addEffect(b);
    EXPECT_EQ(bus.effects().size(), 2u);
    build(bus, KivAudioStreamDescription(48000.0, 2));
    ASSERT_EQ(stream.numberOfNodes(), 2u);

    bus.removeEffect(a);
    EXPECT_FALSE(bus.containsEffect(a));
    EXPECT_TRUE(stream.containsEffect(*a)) << "a removed effect keeps its node until removal";
    bus.removeEffectsFromStream(stream);
    EXPECT_EQ(stream.numberOfNodes(), 0u);
    EXPECT_EQ(a->stream(), nullptr);
    EXPECT_TRUE(bus.usedEffects().empty());

    bus.setEffects({a});
    build(bus, KivAudioStreamDescription(48000.0, 2));
    EXPECT_EQ(stream.numberOfNodes(), 1u) << "b went to the dead list and out of the stream";
    EXPECT_FALSE(stream.containsEffect(*b));
}

TEST_F(KivEffectBusTest, SettingsAndBypassSurviveARebuild) {
    auto gain = make(kTestGainUri);
    KivEffectBus bus;
    bus.addEffect(gain);
    build(bus, KivAudioStreamDescription(44100.0, 2));
    ASSERT_TRUE(gain->setValueForParameter(kGainPort, -4.5f));
    gain->setEnabled(false);

    build(bus, KivAudioStreamDescription(48000.0, 1));
    EXPECT_FLOAT_EQ(gain->valueForParameter(kGainPort), -4.5f);
    EXPECT_FALSE(gain->enabled());
    EXPECT_EQ(gain->unit()->processor().sampleRate(), 48000.0);
    EXPECT_EQ(bus.tailTime(), 0.0);
}

TEST_F(KivEffectBusTest, ArchiveKeepsNameChannelsAndEveryEffect) {
    auto gain = make(kTestGainUri);
    KivEffectBus bus(1);
    bus.setName("aux");
    bus.addEffect(gain);
    bus.addEffect(KivEffect::effectWithProperties(missingPluginState()));
    KivKeyedEncoder encoder;
    encoder.encodeObject(bus, "bus");
    const auto text = encoder.archivedText();
    ASSERT_TRUE(text);

    const auto decoder = KivKeyedDecoder::decoderForText(*text);
    auto decoded = decoder.decodeObjectForKey<KivEffectBus>("bus");
    ASSERT_TRUE(decoded);
    EXPECT_FALSE(decoder.failed()) << decoder.error();
    EXPECT_EQ(decoded->name(), "aux");
    EXPECT_EQ(decoded->channels(), 1u);
    ASSERT_EQ(decoded->effects().size(), 2u);
    EXPECT_EQ(decoded->effects()[0]->name(), "Test Gain");
    EXPECT_EQ(decoded->effects()[1]->properties(), missingPluginState());

    const auto negative =
        KivKeyedDecoder::decoderForText(R"({"bus": {"$class": "KivEffectBus", "channels": -2}})");
    EXPECT_FALSE(negative.decodeObjectForKey<KivEffectBus>("bus"));
    EXPECT_TRUE(negative.failed());
}

TEST_F(KivEffectBusTest, TheChainRendersInListOrderAroundARefusingEffect) {
    auto first = make(kTestGainUri);
    auto stereo = make(kTestGainStereoUri);
    auto last = make(kTestGainUri);
    KivEffectBus bus(3);
    for (const auto& effect : {first, stereo, last}) {
        bus.addEffect(effect);
    }
    build(bus, KivAudioStreamDescription(48000.0, 3));
    ASSERT_TRUE(first->setValueForParameter(kGainPort, -6.0206f));
    ASSERT_TRUE(last->setValueForParameter(kGainPort, -6.0206f));
    bus.connectEffects();
    SineInput sine(48000.0);
    KivRenderInfo input;
    sine.registerRenderInfo(&input);
    ASSERT_TRUE(bus.setRenderCallback(input));

    // The sine enters at the first effect; the last one pulls the first.
    EXPECT_EQ(first->unit()->input().target, static_cast<KivAudioRendering*>(&sine));
    EXPECT_EQ(last->unit()->input().target, static_cast<KivAudioRendering*>(first->unit()));
    EXPECT_FALSE(stereo->unit()->input().isSet());

    KivRenderInfo output;
    bus.registerRenderInfo(&output);
    EXPECT_EQ(output.target, static_cast<KivAudioRendering*>(last.get()));
    const auto before = renderThreadAllocations();
    EXPECT_NEAR(pull(output, 3).back(), 0.25f, 1e-3f);
    EXPECT_EQ(renderThreadAllocations(), before);
    EXPECT_EQ(sine.calls(), 8) << "the input is pulled once per cycle";

    last->setEnabled(false);
    EXPECT_NEAR(pull(output, 3).back(), 0.5f, 1e-3f);

    // Without a used effect the owner pulls its input directly.
    bus.setEffects({stereo});
    build(bus, KivAudioStreamDescription(48000.0, 3));
    EXPECT_FALSE(bus.setRenderCallback(input));
    bus.registerRenderInfo(&output);
    EXPECT_FALSE(output.isSet());
}

TEST_F(KivEffectBusTest, RemovingAnEffectUnhooksWhatPulledIt) {
    auto first = make(kTestGainUri);
    auto last = make(kTestGainUri);
    KivEffectBus bus(2);
    bus.addEffect(first);
    bus.addEffect(last);
    build(bus, KivAudioStreamDescription(48000.0, 2));
    bus.connectEffects();
    ASSERT_EQ(last->unit()->input().target, static_cast<KivAudioRendering*>(first->unit()));
    ASSERT_TRUE(stream.removeEffect(first.get()));
    EXPECT_FALSE(last->unit()->input().isSet());
}

TEST_F(KivEffectBusTest, ConnectEffectsToEffectEndsTheChainInTheTarget) {
    auto first = make(kTestGainUri);
    auto second = make(kTestGainUri);
    auto target = make(kTestGainUri);
    KivEffectBus bus(1);
    bus.addEffect(first);
    bus.addEffect(second);
    build(bus, KivAudioStreamDescription(48000.0, 1));
    ASSERT_TRUE(stream.addEffect(*target));
    ASSERT_TRUE(target->setStreamFormat(KivAudioStreamDescription(48000.0, 1)));
    for (const auto& effect : {first, second, target}) {
        ASSERT_TRUE(effect->setValueForParameter(kGainPort, -6.0206f));
    }
    bus.connectEffectsToEffect(*target);
    SineInput sine(48000.0);
    KivRenderInfo input;
    sine.registerRenderInfo(&input);
    ASSERT_TRUE(bus.setRenderCallback(input));
    EXPECT_EQ(second->unit()->input().target, static_cast<KivAudioRendering*>(first->unit()));
    EXPECT_EQ(target->unit()->input().target, static_cast<KivAudioRendering*>(second->unit()))
        << "the last effect of the list feeds the target";
    KivRenderInfo output;
    target->registerRenderInfo(&output);
    EXPECT_NEAR(pull(output, 1).front(), 0.125f, 1e-3f) << "three halvings, each once";

    // Units have one bus: another is refused, logged, and changes nothing.
    CapturingLogSink log;
    bus.connectEffectsToEffect(*target, 1);
    EXPECT_EQ(target->unit()->input().target, static_cast<KivAudioRendering*>(second->unit()));
    EXPECT_EQ(log.lines().size(), 1u);

    // With no effect used, nothing reaches the target.
    target->clearRenderCallback();
    bus.setEffects({});
    build(bus, KivAudioStreamDescription(48000.0, 1));
    bus.connectEffectsToEffect(*target);
    EXPECT_FALSE(target->unit()->input().isSet());
}
