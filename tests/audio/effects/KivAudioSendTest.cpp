#include "audio/effects/KivAudioSend.h"

#include "audio/SourceFixture.h"
#include "audio/TestPlayable.h"
#include "audio/effects/KivEffectBus.h"
#include "audio/render/ChannelMeter.h"
#include "foundation/NotificationCenter.h"
#include "support/CapturingLogSink.h"

#include <gtest/gtest.h>

namespace {

class AudioSend : public SourceFixture {
protected:
    AudioSend() { send->setDevice(device); }

    std::shared_ptr<KivAudioSource> sourceThroughSend(const std::string& name, float level) {
        auto source = sourceOf(levelFile(name, level));
        source->setSend(send);
        source->setDefaultVolumes();
        EXPECT_TRUE(source->isValid());
        return source;
    }

    std::shared_ptr<KivAudioSend> send = KivAudioSend::create();
};

TEST_F(AudioSend, DescribesItsDevice) {
    auto unassigned = KivAudioSend::create();
    EXPECT_EQ(unassigned->description(), "[unassigned KivAudioSend]");
    EXPECT_EQ(send->description(), "[KivAudioSend assigned to " + device->description() + "]");
    auto source = sourceThroughSend("a.wav", 0.5f);
    EXPECT_EQ(source->description(), "[" + source->alias()->description() + " played to " +
                                         device->description() + " through " + send->description() +
                                         "]");
}

TEST_F(AudioSend, SourcesThroughItAreMixedIntoOneDeviceBus) {
    auto a = sourceThroughSend("a.wav", 0.25f);
    auto b = sourceThroughSend("b.wav", 0.125f);
    a->play();
    b->play();
    EXPECT_TRUE(send->hasAudioAttached());
    EXPECT_EQ(device->busOf(*send), 0u);
    EXPECT_EQ(device->busOf(*a), std::nullopt);
    EXPECT_EQ(cycleOutput(render(), 0), constant(0.375f));

    a->hardStop();
    b->hardStop();
    render();
    scheduler.advance(1.0);
    EXPECT_FALSE(send->hasAudioAttached());
    EXPECT_EQ(device->busOf(*send), std::nullopt) << "the last source out takes the send off";
}

TEST_F(AudioSend, AnAuxChannelRunsThroughItsEffectBusBackIntoTheFeed) {
    send->addEffectBus(std::make_shared<KivEffectBus>(1));
    ASSERT_EQ(send->auxChannels(), 1u);
    auto source = sourceThroughSend("a.wav", 0.5f);
    const std::uint32_t feed = send->inputFormat()->channels() - 1;
    // File channel 0 to the aux channel only, and the aux return into feed 1.
    source->setCrosspointVolume(0.0f, 0, 0);
    source->setCrosspointVolume(1.0f, 0, feed);
    send->setAuxCrosspointVolume(1.0f, 0, 1);
    source->play();
    const std::size_t cycle = render();
    EXPECT_EQ(cycleOutput(cycle, 0), constant(0.0f));
    EXPECT_EQ(cycleOutput(cycle, 1), constant(0.5f));
    EXPECT_EQ(send->busAtChannel(0), send->effectBusses().front());
    EXPECT_EQ(send->busAtChannel(1), nullptr);
}

TEST_F(AudioSend, AuxGainsAndMetersOfASourceAddressTheSendsAuxChannels) {
    send->addEffectBus(std::make_shared<KivEffectBus>(1));
    auto source = sourceThroughSend("a.wav", 0.5f);
    EXPECT_EQ(source->send(), send);
    // File channel 0 to aux channel 0 only, its return into feed 1.
    source->setCrosspointVolume(0.0f, 0, 0);
    source->setAuxVolume(0.5f, 1, 0);
    send->setAuxCrosspointVolume(1.0f, 0, 1);
    EXPECT_EQ(source->outPostPeakHoldLevelAtAuxChannel(0), kMeterFloorDb) << "the first read";
    source->play();
    const std::size_t cycle = render(static_cast<std::uint32_t>(kRate / 10 / kCycle));
    EXPECT_EQ(cycleOutput(cycle, 0), constant(0.0f));
    EXPECT_EQ(cycleOutput(cycle, 1), constant(0.25f));
    EXPECT_NEAR(source->outPostPeakHoldLevelAtAuxChannel(0), -12.04f, 0.01f);
    const std::uint32_t auxFeed = send->inputFormat()->channels() - 1;
    EXPECT_EQ(source->outPostPeakHoldLevelAtAuxChannel(0),
              source->outPostPeakHoldLevelAtChannel(auxFeed));
    EXPECT_EQ(source->outPostAveragePowerAtAuxChannel(0),
              source->outPostAveragePowerAtChannel(auxFeed));

    // Row 0 is the aux channel's own output gain.
    source->setAuxVolume(0.0f, 0, 0);
    render(); // a change ramps across one cycle
    EXPECT_EQ(cycleOutput(render(), 1), constant(0.0f));

    auto direct = sourceOf(levelFile("b.wav", 0.5f));
    CapturingLogSink log;
    direct->setAuxVolume(1.0f, 1, 0);
    EXPECT_EQ(log.lines(),
              (std::vector<std::string>{"Error: setAuxVolume: KivAudioSource has no send."}));
    EXPECT_EQ(direct->outPostAveragePowerAtAuxChannel(0), 0.0f);
    EXPECT_EQ(direct->outPostPeakHoldLevelAtAuxChannel(0), 0.0f);
}

TEST_F(AudioSend, RemovingEffectBussesRebuildsItsSourcesWithoutTheirAuxChannels) {
    auto first = std::make_shared<KivEffectBus>(1);
    auto second = std::make_shared<KivEffectBus>(2);
    send->addEffectBus(first);
    send->addEffectBus(second);
    const std::uint32_t feed = device->_outFeedFormat()->channels();
    ASSERT_EQ(send->auxChannels(), 3u);
    auto source = sourceThroughSend("a.wav", 0.5f);
    int updates = 0;
    const Connection counting = NotificationCenter::defaultCenter().addObserver(
        kKivAudioSendDidUpdateStreamNotification, send.get(),
        [&](const Notification&) { ++updates; });

    send->removeEffectBus(first);
    EXPECT_EQ(send->effectBusses(), std::vector<std::shared_ptr<KivEffectBus>>{second});
    EXPECT_EQ(send->auxChannels(), 2u);
    EXPECT_EQ(send->busAtChannel(0), second);
    EXPECT_EQ(send->inputFormat()->channels(), feed + 2);
    EXPECT_EQ(updates, 1);
    send->removeEffectBus(first);
    EXPECT_EQ(updates, 1) << "a bus it does not hold changes nothing";

    source->play();
    EXPECT_EQ(cycleOutput(render(), 0), constant(0.5f)) << "the source rebuilt to the new format";

    send->updateStream();
    EXPECT_EQ(updates, 2);
    EXPECT_EQ(cycleOutput(render(2) + 1, 0), constant(0.5f)) << "attached sources keep playing";

    send->removeAllEffectBusses();
    EXPECT_TRUE(send->effectBusses().empty());
    EXPECT_EQ(send->auxChannels(), 0u);
    EXPECT_EQ(send->busAtChannel(0), nullptr);
    EXPECT_EQ(send->inputFormat()->channels(), feed);
    EXPECT_EQ(updates, 3);
    EXPECT_EQ(cycleOutput(render(2) + 1, 0), constant(0.5f));
}

TEST_F(AudioSend, WithNoFreeBusASourceStaysIdle) {
    std::vector<std::unique_ptr<TestPlayable>> others;
    for (std::uint32_t i = 0; i < kKivAudioBusCount; ++i) {
        others.push_back(std::make_unique<TestPlayable>(device.get(), "s" + std::to_string(i)));
        ASSERT_TRUE(send->_attachAudio(*others.back()));
    }
    auto source = sourceThroughSend("a.wav", 0.5f);
    CapturingLogSink log;
    source->play();
    EXPECT_FALSE(source->isPlaying());
    ASSERT_FALSE(log.lines().empty());
    EXPECT_EQ(log.lines().front(), "Error: No busses left for send " + send->description() +
                                       "; can't attach " + source->description());
}

} // namespace
