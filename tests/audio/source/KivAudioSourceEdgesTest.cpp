#include "audio/EdgeFixture.h"
#include "audio/SourceFixture.h"
#include "support/RenderThreadLocks.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// Every edge of a source's sound: a start inside the file, a stop, a pause
// and its resume, a hard stop and an end point inside the file each move to
// or from silence without a step larger than the sine's own, within the
// cycle the transport gives it; a loop's seam and the file's own start and
// end play as the file has them.
class SourceEdges : public EdgeFixture<SourceFixture> {
protected:
    std::shared_ptr<KivAudioSource> sineSource(const std::string& name = "sine.wav") {
        return sourceOf(monoFile(name, sine));
    }
    static nlohmann::json slice(double start, double end, int count) {
        return nlohmann::json::array(
            {{{"startTime", start}, {"endTime", end}, {"playCount", count}}});
    }
};

} // namespace

TEST_F(SourceEdges, AStartInsideTheFileRisesFromFrameZeroOfTheBatchsCycle) {
    auto left = sineSource("left.wav");
    auto right = sineSource("right.wav");
    right->setCrosspointVolume(0.0f, 0, 0);
    right->setCrosspointVolume(1.0f, 0, 1);
    // Started where the sine is near its peak, where a cut steps most.
    const std::size_t start = 24060;
    for (auto* source : {left.get(), right.get()}) {
        ASSERT_TRUE(source->setSlices(slice(start / double(kRate), 1.5, 1)));
        source->goToTime(0.0);
    }
    cycles(2);
    inABatch([&] {
        left->play();
        right->play();
    });
    const std::size_t first = cycles(3);

    for (std::uint32_t channel : {0u, 1u}) {
        const auto all = heard(channel);
        EXPECT_EQ(std::vector<float>(all.begin(), all.begin() + first),
                  std::vector<float>(first, 0.0f));
        EXPECT_EQ(std::vector<float>(all.begin() + first, all.begin() + first + kFade),
                  sineFrom(start, kFade, rise))
            << "both rise from frame 0 of the cycle after the batch, channel " << channel;
        EXPECT_EQ(std::vector<float>(all.begin() + first + kFade, all.end()),
                  sineFrom(start + kFade, 3 * kPeriod - kFade));
    }
    EXPECT_LE(stepThroughFadeFrom(first), ownStep);
}

TEST_F(SourceEdges, AFileStartedAtItsFirstFramePlaysAsTheFileDoes) {
    std::vector<float> cut = sine;
    std::rotate(cut.begin(), cut.begin() + 60, cut.end()); // the file itself starts at a peak
    auto source = sourceOf(monoFile("cut.wav", cut));
    inABatch([&] { source->play(); });
    const std::size_t first = cycles(2);
    const auto all = heard();
    EXPECT_EQ(std::vector<float>(all.begin() + first, all.end()),
              std::vector<float>(cut.begin(), cut.begin() + 2 * kPeriod));
}

TEST_F(SourceEdges, AStopFadesOutInTheCycleItTakesEffectInAndAResumeGoesOnAfterIt) {
    auto source = sineSource();
    source->play();
    const std::size_t played = cycles(10) + 10 * kPeriod;
    inABatch([&] { source->stop(); });
    const std::size_t stopped = cycles(4);
    ASSERT_EQ(stopped, played);
    EXPECT_EQ(heardFrom(stopped, kFade), sineFrom(played, kFade, fall));
    EXPECT_EQ(heardFrom(stopped + kFade, 4 * kPeriod - kFade),
              std::vector<float>(4 * kPeriod - kFade, 0.0f));
    EXPECT_LE(stepThroughFadeFrom(stopped), ownStep);

    // A resume, as after a pause: on from the frame after the last one faded.
    inABatch([&] { source->play(); });
    const std::size_t resumed = cycles(2);
    EXPECT_EQ(heardFrom(resumed, kFade), sineFrom(played + kFade, kFade, rise));
    EXPECT_EQ(heardFrom(resumed + kFade, 2 * kPeriod - kFade),
              sineFrom(played + 2 * kFade, 2 * kPeriod - kFade));
    EXPECT_LE(stepThroughFadeFrom(resumed), ownStep);
}

TEST_F(SourceEdges, AHardStopFadesTheWholeFeedOutInItsCycle) {
    auto source = sineSource();
    source->play();
    const std::size_t played = cycles(7) + 7 * kPeriod;
    inABatch([&] { source->hardStop(); });
    const auto locks = renderThreadBlockingLocks();
    const std::size_t stopped = cycles(3);
    if (renderThreadLocksAreSeen()) {
        EXPECT_EQ(renderThreadBlockingLocks(), locks);
    }
    EXPECT_EQ(heardFrom(stopped, kFade), sineFrom(played, kFade, fall));
    EXPECT_EQ(heardFrom(stopped + kFade, 3 * kPeriod - kFade),
              std::vector<float>(3 * kPeriod - kFade, 0.0f));
    EXPECT_LE(stepThroughFadeFrom(stopped), ownStep);
    EXPECT_TRUE(source->isFinished());
}

// The audio cue's stop sends its source back to its start at once, before
// the cycle that fades the stop out renders.
TEST_F(SourceEdges, AStopFadesTheSoundThatPlayedNotThePlaceItIsSentBackTo) {
    auto source = sineSource();
    source->play();
    const std::size_t played = cycles(5) + 5 * kPeriod;
    source->stop();
    source->goToTime(0.0);
    const std::size_t stopped = cycles(2);
    EXPECT_EQ(heardFrom(stopped, kFade), sineFrom(played, kFade, fall));
    EXPECT_LE(stepThroughFadeFrom(stopped), ownStep);
    source->play();
    const std::size_t again = cycles(1);
    EXPECT_EQ(heardFrom(again, kPeriod), sineFrom(0, kPeriod)) << "from the file's own start";
}

TEST_F(SourceEdges, AnEndPointInsideTheFileFadesOntoItsOwnFrame) {
    auto source = sineSource();
    // Ends near a peak of the sine, on no cycle's edge.
    const std::size_t end = 24000 + 6000 + 60 + 7;
    ASSERT_TRUE(source->setSlices(slice(0.5, end / double(kRate), 1)));
    source->goToTime(0.0);
    inABatch([&] { source->play(); });
    const std::size_t first = cycles(30);
    const std::size_t endFrame = first + end - 24000;
    EXPECT_EQ(heardFrom(endFrame - kFade, kFade), sineFrom(end - kFade, kFade, [](std::size_t i) {
                  return KivEdgeRamp::gain(kFade - i, kFade);
              }));
    EXPECT_EQ(heardFrom(endFrame - kFade - 1, 1), sineFrom(end - kFade - 1, 1))
        << "full until then";
    const auto all = heard();
    EXPECT_EQ(std::vector<float>(all.begin() + endFrame, all.end()),
              std::vector<float>(all.size() - endFrame, 0.0f))
        << "silent from the end point's own frame";
    EXPECT_LE(stepThroughFadeTo(endFrame), ownStep);
}

TEST_F(SourceEdges, AStopJustBeforeTheEndPointStillEndsOnIt) {
    auto source = sineSource();
    const std::size_t end = 24000 + 24 * kPeriod + 100;
    ASSERT_TRUE(source->setSlices(slice(0.5, end / double(kRate), 1)));
    source->goToTime(0.0);
    source->play();
    const std::size_t first = cycles(24);
    inABatch([&] { source->stop(); });
    const std::size_t stopped = cycles(2);
    ASSERT_EQ(stopped, first + 24 * kPeriod);
    // The end point's fall, then the stop's, silent from the end point on.
    std::vector<float> both = sineFrom(end - 100, 100, [](std::size_t i) {
        return KivEdgeRamp::gain(static_cast<std::uint32_t>(100 - i), kFade);
    });
    for (std::size_t i = 0; i < both.size(); ++i) {
        both[i] *= fall(i);
    }
    EXPECT_EQ(heardFrom(stopped, 100), both);
    EXPECT_EQ(heardFrom(stopped + 100, 2 * kPeriod - 100),
              std::vector<float>(2 * kPeriod - 100, 0.0f));
    EXPECT_LE(stepThroughFadeFrom(stopped), ownStep);
}

TEST_F(SourceEdges, TheFilesOwnEndPlaysAsTheFileDoes) {
    std::vector<float> cut(sine.begin(), sine.begin() + 24060); // ends near a peak
    auto source = sourceOf(monoFile("cut.wav", cut));
    source->play();
    const std::size_t first = cycles(96);
    const auto all = heard();
    EXPECT_EQ(std::vector<float>(all.begin() + first, all.begin() + first + cut.size()), cut);
}

// A loop's seam is where the meta buffer switches read-ahead buffers within
// one call: sample-exact, so a seam the file makes continuous is continuous,
// and one it does not make so is left as the file has it.
TEST_F(SourceEdges, LoopSeamsStaySampleExact) {
    for (const std::size_t length : {std::size_t(12000), std::size_t(12000 + 77)}) {
        auto source = sineSource("loop" + std::to_string(length) + ".wav");
        ASSERT_TRUE(source->setSlices(slice(0.5, (24000 + length) / double(kRate), -1)));
        source->goToTime(0.0);
        const std::size_t before = heard().size();
        source->play();
        const std::size_t first = cycles(2 * length / kPeriod + 2);
        ASSERT_EQ(first, before);
        const auto all = heard();
        for (std::size_t f = 0; f < 2 * length + kPeriod; ++f) {
            const float file = sine[24000 + f % length];
            ASSERT_EQ(all[first + f], f < kFade ? file * rise(f) : file) << length << ": " << f;
        }
        if (length % 240 == 0) {
            EXPECT_LE(ToneSteps::largestStep(all, first + kFade, all.size()), ownStep);
        }
        source->hardStop();
        cycles(2);
    }
}

// A seek while the file plays (a cue's start, end or loop changed, an
// effect added) goes from one place in the file to another: the sound it
// leaves fades out under the one it goes to, in the next cycle.
TEST_F(SourceEdges, ASeekWhilePlayingFadesFromTheOldPlaceToTheNew) {
    auto source = sineSource();
    source->play();
    const std::size_t played = cycles(5) + 5 * kPeriod;
    source->goToTime(1.0 + 60.0 / kRate); // a peak; the old place is near a zero
    const std::size_t sought = cycles(2);
    std::vector<float> expected(kFade);
    for (std::size_t i = 0; i < kFade; ++i) {
        expected[i] = sine[48060 + i] * rise(i) + sine[played + i] * fall(i);
    }
    EXPECT_EQ(heardFrom(sought, kFade), expected);
    EXPECT_EQ(heardFrom(sought + kFade, 2 * kPeriod - kFade),
              sineFrom(48060 + kFade, 2 * kPeriod - kFade));
    EXPECT_LE(stepThroughFadeFrom(sought), ownStep);
}

// The audio cue stopped and played again before the device's next cycle
// (its stop sends it back to its start): the sound that played fades out
// under the new start.
TEST_F(SourceEdges, AStopAndAPlayBetweenTwoCyclesFadeFromOneToTheOther) {
    auto source = sineSource();
    source->play();
    const std::size_t played = cycles(3) + 3 * kPeriod;
    source->stop();
    source->goToTime(0.0);
    source->play();
    const std::size_t again = cycles(1);
    std::vector<float> expected(kFade);
    for (std::size_t i = 0; i < kFade; ++i) {
        expected[i] = sine[i] * rise(i) + sine[played + i] * fall(i);
    }
    EXPECT_EQ(heardFrom(again, kFade), expected);
    EXPECT_LE(stepThroughFadeFrom(again), ownStep);
}

TEST_F(SourceEdges, ASeekToWherePlayGoesOnLeavesItSampleExact) {
    auto source = sineSource();
    source->play();
    const std::size_t first = cycles(18);
    renderCycles(1, 192);
    source->goToTime(0.1); // frame 4800, the next one to play
    cycles(2);
    EXPECT_EQ(heardFrom(first, 4800 + 2 * kPeriod), sineFrom(0, 4800 + 2 * kPeriod));
}
