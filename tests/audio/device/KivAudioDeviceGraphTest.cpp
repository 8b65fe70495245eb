#include "audio/OpenDeviceFixture.h"
#include "audio/TestPlayable.h"
#include "foundation/KivEnvironment.h"
#include "support/CapturingLogSink.h"
#include "support/RenderThreadAllocations.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>

namespace {

class ScopedLogLevel {
public:
    explicit ScopedLogLevel(int level)
        : _previous(KivEnvironment::logLevel()) {
        KivEnvironment::setLogLevel(level);
    }
    ~ScopedLogLevel() { KivEnvironment::setLogLevel(_previous); }

private:
    int _previous;
};

class DeviceGraphTest : public OpenDeviceFixture {
protected:
    TestPlayable constant(const std::string& name, float level) {
        return TestPlayable(device.get(), name, TestPlayable::Signal::Constant, level);
    }
};

} // namespace

TEST_F(DeviceGraphTest, OpenOffersTheFeedFormatAndCloseTakesItAway) {
    EXPECT_TRUE(device->isOpen());
    const auto feed = device->_outFeedFormat();
    ASSERT_TRUE(feed);
    EXPECT_EQ(feed->sampleRate(), 48000.0);
    EXPECT_EQ(feed->channels(), 48u);

    device->close();
    EXPECT_FALSE(device->isOpen());
    EXPECT_FALSE(device->_outFeedFormat());
}

TEST_F(DeviceGraphTest, BusesAreTakenInOrderAndTheLastFreedIsReusedFirst) {
    TestPlayable a = constant("a", 0.5f);
    TestPlayable b = constant("b", 0.25f);
    TestPlayable c = constant("c", 0.125f);
    for (TestPlayable* p : {&a, &b, &c}) {
        device->performAction(TestPlayable::kPlay, p);
    }
    ASSERT_TRUE(device->_attachAudio(a));
    ASSERT_TRUE(device->_attachAudio(b));
    EXPECT_EQ(device->busOf(a), 0u);
    EXPECT_EQ(device->busOf(b), 1u);
    EXPECT_TRUE(device->_attachAudio(a)) << "attaching twice answers yes";
    EXPECT_EQ(device->busOf(a), 0u);
    EXPECT_EQ(cycleOutput(render(), 0), OpenDeviceFixture::constant(0.75f));

    device->_detachAudio(a);
    EXPECT_EQ(device->busOf(a), std::nullopt);
    EXPECT_EQ(cycleOutput(render(), 0), OpenDeviceFixture::constant(0.25f));
    ASSERT_TRUE(device->_attachAudio(c));
    EXPECT_EQ(device->busOf(c), 0u);
    EXPECT_EQ(cycleOutput(render(), 0), OpenDeviceFixture::constant(0.375f));
    EXPECT_EQ(a.renders(), 1);
}

TEST_F(DeviceGraphTest, The501stAttachIsRefusedWithTheErrorLine) {
    std::vector<std::unique_ptr<TestPlayable>> sources;
    for (int i = 0; i <= 500; ++i) {
        sources.push_back(std::make_unique<TestPlayable>(
            device.get(), "s" + std::to_string(i), TestPlayable::Signal::Constant, 1.0f / 1024.0f));
        device->performAction(TestPlayable::kPlay, sources.back().get());
    }
    for (int i = 0; i < 500; ++i) {
        ASSERT_TRUE(device->_attachAudio(*sources[i]));
    }
    CapturingLogSink log;
    EXPECT_FALSE(device->_attachAudio(*sources[500]));
    EXPECT_EQ(log.lines(), (std::vector<std::string>{
                               "Error: No busses left for device Card card; can't attach s500"}));
    EXPECT_EQ(cycleOutput(render(), 0), OpenDeviceFixture::constant(500.0f / 1024.0f));
    EXPECT_EQ(sources[500]->renders(), 0);

    device->_detachAudio(*sources[7]);
    EXPECT_TRUE(device->_attachAudio(*sources[500]));
    EXPECT_EQ(device->busOf(*sources[500]), 7u);
}

TEST_F(DeviceGraphTest, AttachAndDetachAreTracedAtLogLevelThree) {
    TestPlayable a(device.get(), "a");
    {
        ScopedLogLevel level(2);
        CapturingLogSink log;
        device->_attachAudio(a);
        device->_detachAudio(a);
        EXPECT_TRUE(log.lines().empty());
    }
    ScopedLogLevel level(3);
    CapturingLogSink log;
    device->_attachAudio(a);
    device->_detachAudio(a);
    EXPECT_EQ(log.lines(),
              (std::vector<std::string>{"Card card attaching a", "Card card detaching a"}));
}

TEST_F(DeviceGraphTest, AttachIsRefusedWhenClosedOrForAnotherDevice) {
    TestPlayable stranger(nullptr, "stranger");
    TestPlayable mine(device.get(), "mine");
    CapturingLogSink log;
    EXPECT_FALSE(device->_attachAudio(stranger));
    device->close();
    EXPECT_FALSE(device->_attachAudio(mine));
    device->_detachAudio(mine);
    EXPECT_EQ(log.lines(),
              (std::vector<std::string>{"Error: Card card is not the assigned device for stranger",
                                        "Error: Card card is not open, so it can't attach mine"}));
}

TEST_F(DeviceGraphTest, DisabledBusesAreNotPulled) {
    TestPlayable a(device.get(), "a");
    ASSERT_TRUE(device->_attachAudio(a));
    render();
    EXPECT_EQ(a.renders(), 1);
    EXPECT_EQ(device->_setEnabled(false, 0), 0);
    render();
    EXPECT_EQ(a.renders(), 1);
    EXPECT_EQ(device->_setEnabled(true, 0), 0);
    EXPECT_EQ(device->_setEnabled(true, 500), 0) << "buses past the last are ignored";
    render();
    EXPECT_EQ(a.renders(), 2);
}

class DeviceBatchTest : public OpenDeviceFixture {
protected:
    DeviceBatchTest() {
        EXPECT_TRUE(device->_attachAudio(left));
        EXPECT_TRUE(device->_attachAudio(right));
    }
    void expectImpulsesOn(std::size_t cycle) {
        EXPECT_EQ(cycleOutput(cycle, 0), impulse(1.0f));
        EXPECT_EQ(cycleOutput(cycle, 1), impulse(1.0f));
    }
    void expectSilenceOn(std::size_t cycle) {
        EXPECT_EQ(cycleOutput(cycle, 0), OpenDeviceFixture::constant(0.0f));
        EXPECT_EQ(cycleOutput(cycle, 1), OpenDeviceFixture::constant(0.0f));
    }

    TestPlayable left{device.get(), "left", TestPlayable::Signal::Impulse, 1.0f, {0}};
    TestPlayable right{device.get(), "right", TestPlayable::Signal::Impulse, 1.0f, {1}};
};

TEST_F(DeviceBatchTest, TwoSourcesOfOneBatchPeakAtFrameZeroOfTheSameCycle) {
    device->startSyncedActions();
    device->performAction(TestPlayable::kPlay, &left);
    expectSilenceOn(render()); // the batch is still open
    EXPECT_EQ(left.plays(), 0);
    device->performAction(TestPlayable::kPlay, &right);
    device->endSyncedActions();
    EXPECT_EQ(device->pendingActionCount(), 2u);

    expectImpulsesOn(render());
    expectSilenceOn(render());
    EXPECT_EQ(device->pendingActionCount(), 0u);
}

TEST_F(DeviceBatchTest, NestedBatchesMakeOneBatch) {
    device->startSyncedActions();
    device->performAction(TestPlayable::kPlay, &left);
    device->startSyncedActions();
    device->performAction(TestPlayable::kPlay, &right);
    device->endSyncedActions();
    device->endSyncedActions(); // no batch open: nothing changes
    EXPECT_EQ(left.plays(), 0);
    EXPECT_EQ(device->pendingActionCount(), 2u);
    expectImpulsesOn(render());
}

TEST_F(DeviceBatchTest, OutsideABatchAnActionRunsAtOnce) {
    device->performAction(TestPlayable::kPlay, &left);
    EXPECT_EQ(left.plays(), 1);
    EXPECT_EQ(device->pendingActionCount(), 0u);
    EXPECT_EQ(cycleOutput(render(), 0), impulse(1.0f));
}

TEST_F(DeviceBatchTest, ActionsOfADetachedSourceNeverRun) {
    device->startSyncedActions();
    device->performAction(TestPlayable::kPlay, &left);
    device->performAction(TestPlayable::kPlay, &right);
    device->endSyncedActions();
    device->_detachAudio(left);
    const std::size_t cycle = render();
    EXPECT_EQ(left.plays(), 0);
    EXPECT_EQ(right.plays(), 1);
    EXPECT_EQ(cycleOutput(cycle, 0), OpenDeviceFixture::constant(0.0f));
    EXPECT_EQ(cycleOutput(cycle, 1), impulse(1.0f));
}

TEST_F(DeviceBatchTest, ADestroyedSourceLeavesNoActionBehind) {
    auto doomed = std::make_unique<TestPlayable>(device.get(), "doomed");
    ASSERT_TRUE(device->_attachAudio(*doomed));
    device->startSyncedActions();
    device->performAction(TestPlayable::kPlay, doomed.get()); // queued in the open batch
    device->endSyncedActions();
    device->startSyncedActions();
    device->performAction(TestPlayable::kStop, doomed.get()); // and in the next one
    // A source detaches itself as it dies.
    device->_detachAudio(*doomed);
    doomed.reset();
    device->endSyncedActions();
    expectSilenceOn(render());
    EXPECT_EQ(device->pendingActionCount(), 0u);
}

TEST_F(DeviceBatchTest, ClosingRunsTheActionsHandedOver) {
    device->performAction(TestPlayable::kPlay, &left);
    device->startSyncedActions();
    device->performAction(TestPlayable::kStop, &left);
    device->endSyncedActions();
    EXPECT_EQ(left.stops(), 0);
    device->close();
    EXPECT_EQ(left.stops(), 1) << "a stop must never be lost";
    EXPECT_EQ(device->pendingActionCount(), 0u);

    // A closed device runs a batch as it ends.
    device->startSyncedActions();
    device->performAction(TestPlayable::kPlay, &right);
    EXPECT_EQ(right.plays(), 0);
    device->endSyncedActions();
    EXPECT_EQ(right.plays(), 1);
}

TEST_F(DeviceBatchTest, AStatusWithOnlyHighBitsStillLeavesTheBusOut) {
    // 0x10000 would read as success if cut to 16 bits.
    left.setStatus(0x10000);
    device->startSyncedActions();
    device->performAction(TestPlayable::kPlay, &left);
    device->performAction(TestPlayable::kPlay, &right);
    device->endSyncedActions();
    const std::size_t cycle = render();
    EXPECT_EQ(cycleOutput(cycle, 0), OpenDeviceFixture::constant(0.0f));
    EXPECT_EQ(cycleOutput(cycle, 1), impulse(1.0f));
}

TEST_F(DeviceBatchTest, ADeviceCycleDoesNotAllocate) {
    render(); // the first cycle settles the meters
    device->startSyncedActions();
    device->performAction(TestPlayable::kPlay, &left);
    device->performAction(TestPlayable::kPlay, &right);
    device->endSyncedActions();
    const auto before = renderThreadAllocations();
    const std::size_t cycle = render();
    EXPECT_EQ(renderThreadAllocations(), before);
    expectImpulsesOn(cycle);
}

TEST_F(DeviceBatchTest, AttachingAndBatchingWhileAnotherThreadRendersIsSafe) {
    // Both sides run a fixed number of rounds; ThreadSanitizer checks them.
    std::thread renderer([this] {
        for (int i = 0; i < 200; ++i) {
            hardware.backend->render(kCycle);
        }
    });
    TestPlayable extra(device.get(), "extra", TestPlayable::Signal::Constant, 0.5f);
    for (int i = 0; i < 200; ++i) {
        ASSERT_TRUE(device->_attachAudio(extra));
        device->startSyncedActions();
        device->performAction(TestPlayable::kPlay, &left);
        device->performAction(TestPlayable::kPlay, &extra);
        device->endSyncedActions();
        device->setMasterVolume(i % 2 ? 1.0f : 0.5f);
        device->_detachAudio(extra);
    }
    renderer.join();
    device->close();
    EXPECT_EQ(left.plays(), 200) << "every action of an attached source runs";
    EXPECT_LE(extra.plays(), 200);
}

TEST(KivAudioDeviceEngage, TheLastDisengageClosesAndTheNextEngageReopensWithDefaults) {
    OfflineHardware hardware;
    hardware.backend->plug(OfflineHardware::device("card"));
    auto device = KivAudioDevice::deviceWithUID("card");
    ASSERT_TRUE(device);

    device->engage();
    EXPECT_TRUE(device->isOpen());
    device->engage();
    EXPECT_EQ(device->engagedCount(), 2);
    device->setMasterVolume(0.25f);
    device->disengage();
    EXPECT_TRUE(device->isOpen());
    EXPECT_EQ(device->masterVolume(), 0.25f);
    device->disengage();
    EXPECT_FALSE(device->isOpen());
    EXPECT_EQ(device->engagedCount(), 0);
    device->disengage();
    EXPECT_EQ(device->engagedCount(), 0) << "the count never goes below 0";

    device->engage();
    EXPECT_TRUE(device->isOpen());
    EXPECT_EQ(device->masterVolume(), 1.0f);

    // Opened by its owner, the device still closes at the last disengage.
    device->disengage();
    ASSERT_TRUE(device->open());
    device->engage();
    device->disengage();
    EXPECT_FALSE(device->isOpen());
}

TEST(KivAudioDeviceInterleaved, AnInterleavedStreamGetsEachOutputInItsPlace) {
    OfflineHardware hardware;
    hardware.backend->setInterleavedOnly(true);
    AudioDeviceInfo info = OfflineHardware::device("card", 3);
    info.bufferSizeInFrames = 32;
    hardware.backend->plug(info);
    auto device = KivAudioDevice::deviceWithUID("card");
    ASSERT_TRUE(device->open());
    ASSERT_TRUE(device->streamConfig()->interleaved);
    TestPlayable source(device.get(), "source", TestPlayable::Signal::Constant, 0.5f, {0, 2});
    ASSERT_TRUE(device->_attachAudio(source));
    device->performAction(TestPlayable::kPlay, &source);
    device->setOutputVolume(0.5f, 2);
    hardware.backend->render(96);
    const auto captured = hardware.backend->capturedOutput("card");
    ASSERT_EQ(captured.size(), 96u * 3u);
    for (std::size_t f = 0; f < 96; ++f) {
        ASSERT_EQ(captured[f * 3], 0.5f) << "frame " << f;
        ASSERT_EQ(captured[f * 3 + 1], 0.0f) << "frame " << f;
        ASSERT_EQ(captured[f * 3 + 2], 0.25f) << "frame " << f;
    }
    device->close();
}
