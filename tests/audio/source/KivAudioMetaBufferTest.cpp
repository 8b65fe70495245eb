#include "audio/MetaBufferFixture.h"
#include "foundation/Clock.h"
#include "foundation/KivLog.h"
#include "support/CapturingLogSink.h"
#include "support/RenderThreadAllocations.h"

#include <cmath>

// Meta buffers with their tend steps and fills pumped by hand, rendering an
// index ramp, so every frame shows where play was.
namespace {

class KivAudioMetaBufferTest : public MetaBufferFixture {};

TEST_F(KivAudioMetaBufferTest, RefusesWhatCannotPlay) {
    auto alias = ramp(kRate);
    const KivAudioStreamDescription format(kRate, 1);
    const KivAudioStreamDescription noRate(0.0, 1);
    AudioFixtures::writeBytes(_folder.path("bad.wav"), "no sound");
    EXPECT_EQ(KivAudioMetaBuffer::create(nullptr, &format), nullptr);
    EXPECT_EQ(KivAudioMetaBuffer::create(alias, nullptr), nullptr);
    EXPECT_EQ(KivAudioMetaBuffer::create(alias, &noRate), nullptr);
    EXPECT_EQ(KivAudioMetaBuffer::create(KivAlias::aliasWithPath(_folder.path("bad.wav")), &format),
              nullptr);
    auto meta = manual(alias);
    ASSERT_NE(meta, nullptr);
    EXPECT_EQ(meta->fileLengthInSeconds(), 1.0);
    EXPECT_EQ(meta->fileChannels(), 1u);
    EXPECT_EQ(meta->audioLengthInSeconds(), 1.0);
    EXPECT_EQ(meta->slices(), list(slice(0, 1, 1)));
}

TEST_F(KivAudioMetaBufferTest, AForeverSliceLoopsWithoutAGap) {
    auto meta = manual(ramp(3 * kRate));
    ASSERT_TRUE(meta->setSlices(list(slice(1.0, 1.5, -1))));
    meta->goToTime(0);
    // 22050 is no multiple of 512: every jump falls inside a render call.
    const auto out = play(*meta, 4 * 22050 + 100, 512);
    for (std::size_t pass = 0; pass < 4; ++pass) {
        EXPECT_EQ(firstBreakInRamp(out, pass * 22050, 22050, 44100), out.size()) << pass;
    }
    EXPECT_EQ(out[22048], 66148.0f);
    EXPECT_EQ(out[22049], 66149.0f);
    EXPECT_EQ(out[22050], 44100.0f);
    EXPECT_EQ(out[22051], 44101.0f);
}

TEST_F(KivAudioMetaBufferTest, ASliceWhoseLengthIsNoWholeTimeInSecondsLoopsWithoutAGap) {
    // 1.2 - 1.0 seconds is a hair under 8820 frames; the loop is 8820 frames.
    auto meta = manual(ramp(3 * kRate));
    ASSERT_TRUE(meta->setSlices(list(slice(1.0, 1.2, -1))));
    meta->goToTime(0);
    const auto out = play(*meta, 3 * 8820, 441);
    for (std::size_t pass = 0; pass < 3; ++pass) {
        EXPECT_EQ(firstBreakInRamp(out, pass * 8820, 8820, 44100), out.size()) << pass;
    }
}

TEST_F(KivAudioMetaBufferTest, TwoJumpsInOneCallKeepTheAudioInStepWithThePosition) {
    auto meta = manual(ramp(3 * kRate));
    // Passes of 7056 frames, so that each fits a buffer's head: the frames
    // held before anyone reads.
    ASSERT_TRUE(meta->setSlices(list(slice(1.0, 1.16, -1))));
    meta->goToTime(0);
    const auto first = cycle(*meta, 16000);
    // The pre-roll covers the first jump; nothing was read ahead for the second.
    EXPECT_EQ(firstBreakInRamp(first, 0, 7056, 44100), first.size());
    EXPECT_EQ(firstBreakInRamp(first, 7056, 7056, 44100), first.size());
    for (std::size_t i = 14112; i < 16000; ++i) {
        ASSERT_EQ(first[i], 0.0f) << i;
    }
    EXPECT_EQ(meta->currentFileTime(), (44100.0 + 1888.0) / kRate);
    const auto next = play(*meta, 7056, 512);
    EXPECT_EQ(firstBreakInRamp(next, 0, 7056 - 1888, 44100 + 1888), next.size());
    EXPECT_EQ(firstBreakInRamp(next, 7056 - 1888, 1888, 44100), next.size());
}

TEST_F(KivAudioMetaBufferTest, FiniteLoopsThenTheNextSliceThenSilenceAndTheFinish) {
    ManualClock clock(100.0);
    auto meta = manual(ramp(3 * kRate), &clock);
    ASSERT_TRUE(meta->setSlices(list(slice(0, 1, 2), slice(1, 2, 1))));
    meta->goToTime(0);
    EXPECT_EQ(meta->audioLengthInSeconds(), 3.0);
    EXPECT_EQ(meta->timeUntilLoop(), 1.0);
    const std::size_t calls = (3 * kRate + 511) / 512;
    const auto out = play(*meta, calls * 512, 512);
    EXPECT_EQ(firstBreakInRamp(out, 0, kRate, 0), out.size());
    EXPECT_EQ(firstBreakInRamp(out, kRate, 2 * kRate, 0), out.size());
    for (std::size_t i = 3 * kRate; i < out.size(); ++i) {
        ASSERT_EQ(out[i], 0.0f) << i;
    }
    EXPECT_FALSE(meta->isFinished());
    EXPECT_EQ(meta->approximateTimeOfFinish(), 0.0);
    EXPECT_EQ(meta->elapsedLogicalTime(), 3.0);
    EXPECT_EQ(meta->currentFileTime(), 2.0);

    clock.setNow(107.5);
    const auto after = cycle(*meta, 512);
    EXPECT_EQ(after, std::vector<float>(512, 0.0f));
    EXPECT_TRUE(meta->isFinished());
    EXPECT_EQ(meta->approximateTimeOfFinish(), 107.5);
    EXPECT_DOUBLE_EQ(meta->elapsedPlayTime(), double((calls + 1) * 512) / kRate);

    meta->goToTime(0.5); // a seek clears the finish
    EXPECT_FALSE(meta->isFinished());
    EXPECT_EQ(cycle(*meta, 4)[0], 22050.0f);
}

TEST_F(KivAudioMetaBufferTest, TimesOfAForeverSliceAfterAFiniteOne) {
    auto meta = manual(ramp(3 * kRate));
    ASSERT_TRUE(meta->setSlices(list(slice(0, 1, 1), slice(1, 1.5, -1))));
    meta->goToTime(0);
    EXPECT_EQ(meta->audioLengthInSeconds(), 1.5);
    EXPECT_EQ(meta->startTime(), 0.0);
    EXPECT_EQ(meta->endTime(), 1.5);
    play(*meta, 44100 + 11025, 441);
    EXPECT_EQ(meta->elapsedLogicalTime(), 1.25);
    EXPECT_EQ(meta->timeUntilLoop(), 0.25);
    play(*meta, 22050, 441); // once round the loop
    EXPECT_EQ(meta->elapsedLogicalTime(), 1.25);
    EXPECT_EQ(meta->elapsedPlayTime(), 1.75);
    EXPECT_EQ(meta->currentFileTime(), 1.25);
}

TEST_F(KivAudioMetaBufferTest, SeeksHonourLoops) {
    auto meta = manual(ramp(3 * kRate));
    ASSERT_TRUE(meta->setSlices(list(slice(0, 2, 3))));
    meta->goToTime(5.0);
    EXPECT_EQ(meta->currentFileTime(), 1.0);
    EXPECT_EQ(meta->elapsedPlayTime(), 5.0);
    EXPECT_EQ(meta->elapsedLogicalTime(), 5.0);
    EXPECT_EQ(meta->timeUntilLoop(), 1.0); // the last pass: no jump left
    const auto out = play(*meta, 44100 + 512, 512);
    EXPECT_EQ(firstBreakInRamp(out, 0, 44100, 44100), out.size());
    EXPECT_EQ(out[44100], 0.0f);

    ASSERT_TRUE(meta->setSlices(list(slice(1.0, 1.5, -1))));
    meta->goToTime(10.1);
    EXPECT_NEAR(meta->currentFileTime(), 1.1, 1e-9);
    EXPECT_NEAR(meta->elapsedLogicalTime(), 0.1, 1e-9);
    EXPECT_EQ(cycle(*meta, 1)[0], float(std::int64_t(10.1 * kRate) % 22050 + 44100));
}

TEST_F(KivAudioMetaBufferTest, ANegativeSeekIsASeekToTheStart) {
    auto meta = manual(ramp(3 * kRate));
    ASSERT_TRUE(meta->setSlices(list(slice(1.0, 2.0, 1))));
    meta->goToTime(0.5);
    play(*meta, 1000, 500);
    meta->goToTime(-3.0);
    EXPECT_EQ(meta->elapsedPlayTime(), 0.0);
    EXPECT_EQ(meta->currentFileTime(), 1.0);
    EXPECT_EQ(cycle(*meta, 2), (std::vector<float>{44100.0f, 44101.0f}));
    meta->goToTime(NAN);
    EXPECT_EQ(meta->currentFileTime(), 1.0);
}

TEST_F(KivAudioMetaBufferTest, ASeekToZeroRightAfterMakingKeepsTheBuffers) {
    auto meta = manual(ramp(kRate));
    meta->tendOnce();
    meta->fillBuffersOnce();
    meta->goToTime(0);
    // No tend step: had the seek retired the buffers, this would be silence.
    EXPECT_EQ(render(*meta, 3), (std::vector<float>{0.0f, 1.0f, 2.0f}));
}

TEST_F(KivAudioMetaBufferTest, ASeekToZeroAfterNewSlicesMovesToTheirStart) {
    auto meta = manual(ramp(3 * kRate));
    meta->tendOnce();
    ASSERT_TRUE(meta->setSlices(list(slice(1.0, 2.0, 1))));
    meta->tendOnce(); // the tend step has planned since the change
    meta->goToTime(0);
    EXPECT_EQ(meta->currentFileTime(), 1.0);
    EXPECT_EQ(cycle(*meta, 1)[0], 44100.0f);
}

TEST_F(KivAudioMetaBufferTest, AnInvalidSliceListIsRefusedWithAWarningAndTheOldOneStays) {
    auto meta = manual(ramp(3 * kRate));
    const nlohmann::json kept = list(slice(0.5, 1.0, 2), slice(1.0, 2.0, -1));
    ASSERT_TRUE(meta->setSlices(kept));
    const std::string path = _folder.path("ramp.wav");
    for (const nlohmann::json& refused :
         {list(slice(0, 0.1, 1)), list(slice(0, 1, 1), slice(1.5, 2, 1)),
          list(slice(0, 1, 1), slice(0.5, 2, 1)), list(slice(0, 3.5, 1)), list(slice(-1, 1, 1)),
          list(slice(0, 1, 0)), nlohmann::json::object()}) {
        CapturingLogSink log;
        EXPECT_FALSE(meta->setSlices(refused)) << refused;
        const auto lines = log.lines();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].rfind("Warning: KivAudioMetaBuffer ignored an invalid slice list (", 0),
                  0u);
        EXPECT_EQ(lines[0].substr(lines[0].size() - path.size()), path);
        EXPECT_EQ(meta->slices(), kept);
        EXPECT_EQ(meta->audioLengthInSeconds(), 2.0);
    }
}

TEST_F(KivAudioMetaBufferTest, AnEmptyListPlaysTheWholeFileOnce) {
    auto meta = manual(ramp(kRate / 2));
    ASSERT_TRUE(meta->setSlices(list(slice(0.1, 0.3, -1))));
    ASSERT_TRUE(meta->setSlices(nlohmann::json::array()));
    EXPECT_EQ(meta->slices(), list(slice(0, 0.5, 1)));
    EXPECT_EQ(meta->audioLengthInSeconds(), 0.5);
    meta->goToTime(0);
    const auto out = play(*meta, kRate / 2 + 512, 512);
    EXPECT_EQ(firstBreakInRamp(out, 0, kRate / 2, 0), out.size());
    EXPECT_EQ(out.back(), 0.0f);
}

TEST_F(KivAudioMetaBufferTest, UnderrunsKeepPaceAndWarnOnceASecondWithTheSum) {
    ManualClock clock(50.0);
    auto meta = manual(ramp(3 * kRate), &clock);
    ASSERT_TRUE(meta->setSlices(list(slice(1.0, 3.0, 1))));
    meta->goToTime(0);
    CapturingLogSink log;
    for (int i = 0; i < 9; ++i) { // underruns of 512 frames a call for 0.9 s
        clock.advance(0.1);
        EXPECT_EQ(cycle(*meta, 512, false), std::vector<float>(512, 0.0f));
        drainRealtimeLog();
    }
    EXPECT_TRUE(log.lines().empty());
    EXPECT_EQ(meta->droppedFrames(), 9u * 512u)
        << "counted at once, whatever the warning waits for";
    clock.advance(0.2);
    cycle(*meta, 512, false);
    // Queued on the render thread: nothing reaches the sink until drained.
    EXPECT_TRUE(log.lines().empty());
    drainRealtimeLog();
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_EQ(log.lines()[0],
              "Warning: dropped 5120 frames (0.12 seconds of audio) : " + _folder.path("ramp.wav"));
    EXPECT_EQ(meta->currentFileTime(), 1.0 + 5120.0 / kRate);
    // Once the read-ahead catches up, the audio is where the position is.
    const auto out = cycle(*meta, 4);
    EXPECT_EQ(out[0], float(44100 + 5120));
    EXPECT_EQ(out[3], float(44100 + 5123));
    EXPECT_EQ(meta->droppedFrames(), 5120u) << "the warning does not reset the count";
}

TEST_F(KivAudioMetaBufferTest, ReadingAllocatesNothingAcrossJumpsAndWarnings) {
    ManualClock clock;
    auto meta = manual(ramp(3 * kRate), &clock);
    ASSERT_TRUE(meta->setSlices(list(slice(1.0, 1.2, -1))));
    meta->goToTime(0);
    std::vector<float> out(20000);
    float* channels[1] = {out.data()};
    const AudioChannels view{channels, 1, 20000};
    const auto before = renderThreadAllocations();
    for (int i = 0; i < 6; ++i) {
        while (meta->tendOnce()) {
        }
        if (i % 2 == 0) {
            meta->fillBuffersOnce();
        }
        clock.advance(2.0);
        ScopedThreadRole role(ThreadRole::Render);
        meta->readFrames(i < 3 ? 512 : 20000, view, 0);
    }
    EXPECT_EQ(renderThreadAllocations(), before);
    drainRealtimeLog();
}

TEST_F(KivAudioMetaBufferTest, DevampPlaysTheLoopOutAndRunsOn) {
    auto meta = manual(ramp(3 * kRate));
    ASSERT_TRUE(meta->setSlices(list(slice(1.0, 1.5, -1), slice(1.5, 2.0, 1))));
    meta->goToTime(0);
    play(*meta, 22050 + 950, 500); // 46 calls: 950 frames into the second pass
    EXPECT_EQ(meta->elapsedLogicalTime(), 950.0 / kRate);
    meta->devamp();
    EXPECT_EQ(meta->elapsedLogicalTime(), 950.0 / kRate);
    const auto out = play(*meta, 21100 + 22050 + 512, 512);
    EXPECT_EQ(firstBreakInRamp(out, 0, 21100 + 22050, 44100 + 950), out.size());
    EXPECT_EQ(out.back(), 0.0f);
    EXPECT_EQ(meta->elapsedLogicalTime(), 1.0);
}

} // namespace
