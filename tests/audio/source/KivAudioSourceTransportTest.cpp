#include "audio/SourceFixture.h"
#include "audio/TestPlayable.h"
#include "support/CapturingLogSink.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

class CountingDelegate : public KivAudioSourceDelegate {
public:
    void audioSourceDidFinish(KivAudioSource& source) override {
        ++finishes;
        last = &source;
    }
    int finishes = 0;
    KivAudioSource* last = nullptr;
};

class AudioSourceTransport : public SourceFixture {};

TEST_F(AudioSourceTransport, PlayingTwiceStartsOnceAndPlaysOn) {
    auto source = sourceOf(rampFile("ramp.wav"));
    const std::size_t idle = render();
    source->play();
    EXPECT_TRUE(source->isPlaying());
    const std::size_t first = render(2);
    source->play();
    const std::size_t later = render();
    EXPECT_EQ(cycleOutput(idle, 0), constant(0.0f));
    EXPECT_EQ(output(first, 3), ramp(0, 3 * kCycle));
    EXPECT_EQ(later, first + 2);
    EXPECT_EQ(device->busOf(*source), 0u);
}

TEST_F(AudioSourceTransport, SourcesPlayedInOneBatchStartOnTheSameSample) {
    auto left = sourceOf(rampFile("left.wav"));
    auto right = sourceOf(rampFile("right.wav"));
    right->setCrosspointVolume(0.0f, 0, 0);
    right->setCrosspointVolume(1.0f, 0, 1);
    device->startSyncedActions();
    left->play();
    const std::size_t inside = render();
    right->play();
    device->endSyncedActions();
    const std::size_t first = render(2);

    EXPECT_EQ(cycleOutput(inside, 0), constant(0.0f));
    EXPECT_EQ(cycleOutput(inside, 1), constant(0.0f));
    EXPECT_EQ(output(first, 2, 0), ramp(0, 2 * kCycle));
    EXPECT_EQ(output(first, 2, 1), ramp(0, 2 * kCycle));
}

TEST_F(AudioSourceTransport, PlayWithoutADeviceOrAStreamSaysWhyAndStaysIdle) {
    auto orphan = KivAudioSource::create(scheduler, clock);
    orphan->setAlias(KivAlias::aliasWithPath(levelFile("a.wav", 0.5f)));
    auto empty = KivAudioSource::create(scheduler, clock);
    empty->setDevice(device);
    CapturingLogSink log;
    orphan->play();
    empty->play();
    EXPECT_EQ(log.lines(),
              (std::vector<std::string>{
                  "Error: could not play " + orphan->description() + "; no audio device",
                  "Warning: you tried to play an KivAudioSource with no file and a device without "
                  "inputs enabled.",
                  "Error: could not play " + empty->description() + "; no valid stream"}));
    EXPECT_FALSE(orphan->isPlaying());
    EXPECT_FALSE(empty->isPlaying());
    EXPECT_EQ(device->busOf(*empty), std::nullopt);
}

TEST_F(AudioSourceTransport, WithNoFreeBusTheSourceStaysIdle) {
    std::vector<std::unique_ptr<TestPlayable>> others;
    for (std::uint32_t i = 0; i < kKivAudioBusCount; ++i) {
        others.push_back(std::make_unique<TestPlayable>(device.get(), "s" + std::to_string(i)));
        ASSERT_TRUE(device->_attachAudio(*others.back()));
    }
    auto source = sourceOf(levelFile("a.wav", 0.5f));
    CapturingLogSink log;
    source->play();
    EXPECT_FALSE(source->isPlaying());
    EXPECT_EQ(log.lines(), (std::vector<std::string>{"Error: No busses left for device Card card; "
                                                     "can't attach " +
                                                     source->description()}));
    // No cleanup timer was left behind.
    EXPECT_EQ(scheduler.pendingCount(), 0u);
}

TEST_F(AudioSourceTransport, HardStopFadesOutWithinTheNextCycleAndIsFinishedAtOnce) {
    auto source = sourceOf(levelFile("a.wav", 0.5f));
    source->play();
    const std::size_t playing = render();
    device->startSyncedActions();
    source->hardStop();
    EXPECT_TRUE(source->isPlaying()) << "queued for the next cycle";
    device->endSyncedActions();
    const std::size_t stopped = render(2);
    EXPECT_EQ(cycleOutput(playing, 0), constant(0.5f));
    EXPECT_EQ(cycleOutput(stopped, 0), fallen(constant(0.5f)));
    EXPECT_EQ(cycleOutput(stopped + 1, 0), constant(0.0f));
    EXPECT_FALSE(source->isPlaying());
    EXPECT_TRUE(source->wasStopped());
    EXPECT_TRUE(source->isFinished());
}

TEST_F(AudioSourceTransport, ASoftStopStaysAttachedUntilTheCleanupTimerDetachesIt) {
    auto source = sourceOf(levelFile("a.wav", 0.5f, 10.0));
    CountingDelegate delegate;
    EXPECT_EQ(source->delegate(), nullptr);
    source->setDelegate(&delegate);
    EXPECT_EQ(source->delegate(), &delegate);
    source->play();
    render();
    source->stop();
    EXPECT_FALSE(source->isPlaying());
    EXPECT_TRUE(source->wasStopped());
    EXPECT_FALSE(source->isFinished()) << "not finished at the very time of the stop";
    const std::size_t afterStop = render(2);
    EXPECT_EQ(cycleOutput(afterStop, 0), fallen(constant(0.5f)));
    EXPECT_EQ(cycleOutput(afterStop + 1, 0), constant(0.0f));
    EXPECT_EQ(device->busOf(*source), 0u) << "still pulled, so effect tails ring out";

    scheduler.advance(0.5);
    EXPECT_TRUE(source->isFinished());
    EXPECT_EQ(delegate.finishes, 0) << "the timer first fires a second after play";
    scheduler.advance(0.5);
    EXPECT_EQ(delegate.finishes, 1);
    EXPECT_EQ(delegate.last, source.get());
    EXPECT_EQ(device->busOf(*source), std::nullopt);
    scheduler.advance(5.0);
    EXPECT_EQ(delegate.finishes, 1);
    EXPECT_EQ(scheduler.pendingCount(), 0u);
}

// A stop run at once (outside a batch) just before the cleanup check: the
// source stays on its bus until a cycle has faded it out, or, on a device
// that renders no more, one round longer.
TEST_F(AudioSourceTransport, TheCleanupCheckLeavesAStopItsFade) {
    auto source = sourceOf(levelFile("a.wav", 0.5f, 10.0));
    CountingDelegate delegate;
    source->setDelegate(&delegate);
    source->play();
    render();
    scheduler.advance(0.9);
    source->stop();
    scheduler.advance(0.1);
    EXPECT_EQ(device->busOf(*source), 0u) << "detached before its fade";
    const std::size_t stopped = render(2);
    EXPECT_EQ(cycleOutput(stopped, 0), fallen(constant(0.5f)));
    EXPECT_EQ(cycleOutput(stopped + 1, 0), constant(0.0f));
    scheduler.advance(1.0);
    EXPECT_EQ(device->busOf(*source), std::nullopt);
    EXPECT_EQ(delegate.finishes, 1);

    source->play();
    render();
    scheduler.advance(0.5);
    source->hardStop();
    scheduler.advance(0.5);
    EXPECT_EQ(device->busOf(*source), 0u);
    scheduler.advance(1.0);
    EXPECT_EQ(device->busOf(*source), std::nullopt) << "never rendered, it goes a round later";
    EXPECT_EQ(delegate.finishes, 2);
}

TEST_F(AudioSourceTransport, PlayingToTheEndFinishesOnceTheLastFrameHasPlayed) {
    auto source = sourceOf(rampFile("short.wav", 0.2));
    CountingDelegate delegate;
    source->setDelegate(&delegate);
    source->play();
    const std::size_t first = render(0.2 * kRate / kCycle + 2);
    const auto played = output(first, 0.2 * kRate / kCycle + 2);
    const std::size_t frames = 0.2 * kRate;
    EXPECT_EQ(std::vector<float>(played.begin(), played.begin() + frames), ramp(0, frames));
    EXPECT_EQ(std::vector<float>(played.begin() + frames, played.end()),
              std::vector<float>(played.size() - frames, 0.0f));

    scheduler.advance(1.0);
    EXPECT_EQ(delegate.finishes, 1);
    EXPECT_FALSE(source->isPlaying());
    EXPECT_EQ(device->busOf(*source), std::nullopt);
}

TEST_F(AudioSourceTransport, APlayAfterFinishingStartsAgain) {
    auto source = sourceOf(rampFile("ramp.wav"));
    source->play();
    render();
    source->hardStop();
    render();
    scheduler.advance(1.0);
    EXPECT_EQ(device->busOf(*source), std::nullopt) << "finished and detached";
    source->goToTime(0.0);
    source->play();
    const std::size_t again = render();
    EXPECT_EQ(cycleOutput(again, 0), ramp(0, kCycle));
}

TEST_F(AudioSourceTransport, WithoutAFileTimesAreEmptyAndVolumesUntouched) {
    auto source = KivAudioSource::create(scheduler, clock);
    EXPECT_EQ(source->description(), "[empty audio source]");
    source->setDevice(device);
    EXPECT_EQ(source->timeUntilLoop(), -1.0);
    EXPECT_EQ(source->audioLengthInSeconds(), 0.0);
    EXPECT_EQ(source->elapsedPlayTime(), 0.0);
    EXPECT_EQ(source->micChannels(), 0u) << "an output device has no input";
    EXPECT_EQ(source->slices(), nlohmann::json::array());
    EXPECT_EQ(source->send(), nullptr);
    CapturingLogSink log;
    source->setDefaultVolumes();
    EXPECT_EQ(log.lines(), (std::vector<std::string>{"Warning: KivAudioSource could not set "
                                                     "default volumes because there was no "
                                                     "valid stream."}));
    EXPECT_EQ(source->masterVolume(), 0.0f);

    const std::string file = levelFile("a.wav", 0.5f);
    source->setAlias(KivAlias::aliasWithPath(file));
    EXPECT_EQ(source->description(),
              "[" + source->alias()->description() + " played to " + device->description() + "]");
    EXPECT_EQ(source->fileChannels(), 1u);
    EXPECT_DOUBLE_EQ(source->audioLengthInSeconds(), 1.0);
}

// A trigger on one thread racing the cleanup check on another never leaves
// a source playing but detached.
TEST_F(AudioSourceTransport, PlayRacingTheCleanupCheckNeverLeavesItPlayingDetached) {
    auto source = sourceOf(levelFile("a.wav", 0.5f, 10.0));
    for (int round = 0; round < 200; ++round) {
        std::thread trigger([&] {
            source->hardStop();
            source->play();
        });
        source->_detachIfFinished();
        trigger.join();
        source->_detachIfFinished();
        ASSERT_EQ(source->isPlaying(), device->busOf(*source).has_value()) << round;
    }
}

} // namespace

TEST_F(AudioSourceTransport, FramesTheReadAheadCouldNotSupplyAreCounted) {
    auto source = sourceOf(rampFile("ramp.wav"));
    source->play();
    OpenDeviceFixture::render(3); // nobody tends the read-ahead
    EXPECT_EQ(source->droppedFrames(), 3u * kCycle);
    render();
    EXPECT_EQ(output(capturedCycles() - 1, 1), ramp(3 * kCycle, kCycle)) << "in step again";
    EXPECT_EQ(source->droppedFrames(), 3u * kCycle);
}
