#include "CueEngineFixture.h"
#include "audio/EdgeFixture.h"

#include <gtest/gtest.h>

namespace {

// The edges the operator makes, through the cue as the window drives it: a
// hold cue's release, a solo cue's hard stop of the others, Pause All and
// Resume All, a cue reaching its end point and a cue started at a start time
// inside its file. Each moves the sine to or from silence without a step
// larger than the sine's own, in the cycle after the cue's action, frame-exact.
class CueEdges : public EdgeFixture<CueEngineFixture> {
protected:
    std::shared_ptr<AudioCue> sineCue(const std::string& name) {
        return cueOf(monoFile(name, sine));
    }
};

} // namespace

TEST_F(CueEdges, AHoldCuesReleaseFadesOutTheSoundItPlayed) {
    auto cue = sineCue("hold.wav");
    cue->setHold(true);
    inABatch([&] { cue->triggerDown(); });
    const std::size_t first = cycles(9);
    inABatch([&] { cue->triggerUp(); });
    const std::size_t released = cycles(3);
    EXPECT_EQ(heardFrom(first, released - first), sineFrom(0, released - first));
    EXPECT_EQ(heardFrom(released, kFade), sineFrom(released - first, kFade, fall));
    EXPECT_EQ(heardFrom(released + kFade, 3 * kPeriod - kFade), silence(3 * kPeriod - kFade));
    EXPECT_LE(stepThroughFadeFrom(released), ownStep);
    EXPECT_FALSE(cue->playing());
}

TEST_F(CueEdges, ASoloCueStartsOnTheFrameTheOthersBeginToFadeOn) {
    auto other = sineCue("other.wav");
    inABatch([&] { other->triggerDown(); });
    const std::size_t first = cycles(6);
    auto solo = cueOf(levelFile("solo.wav", 0.0f, 4.0)); // silent, to hear the others alone
    solo->setSolo(true);
    inABatch([&] { solo->triggerDown(); });
    const std::size_t soloed = cycles(2);
    EXPECT_EQ(heardFrom(soloed, kFade), sineFrom(soloed - first, kFade, fall));
    EXPECT_EQ(heardFrom(soloed + kFade, 2 * kPeriod - kFade), silence(2 * kPeriod - kFade));
    EXPECT_LE(stepThroughFadeFrom(soloed), ownStep);
    EXPECT_TRUE(solo->isPlaying());
    EXPECT_FALSE(other->isPlaying());
}

TEST_F(CueEdges, PauseAllFadesEachCueOutAndResumeAllFadesItInWhereItWas) {
    auto cue = sineCue("paused.wav");
    cue->play();
    const std::size_t first = cycles(5);
    cart->pauseCues();
    const std::size_t paused = cycles(4);
    const std::size_t at = paused - first;
    EXPECT_EQ(heardFrom(paused, kFade), sineFrom(at, kFade, fall));
    EXPECT_EQ(heardFrom(paused + kFade, 4 * kPeriod - kFade), silence(4 * kPeriod - kFade));
    EXPECT_LE(stepThroughFadeFrom(paused), ownStep);
    EXPECT_TRUE(cue->isPaused());

    cart->resumeCues();
    const std::size_t resumed = cycles(2);
    EXPECT_EQ(heardFrom(resumed, kFade), sineFrom(at + kFade, kFade, rise))
        << "on from the frame after the last one faded";
    EXPECT_EQ(heardFrom(resumed + kFade, 2 * kPeriod - kFade),
              sineFrom(at + 2 * kFade, 2 * kPeriod - kFade));
    EXPECT_LE(stepThroughFadeFrom(resumed), ownStep);
}

TEST_F(CueEdges, ACueReachingItsEndPointFadesOntoItAndOneStartedInsideItsFileRisesFromIt) {
    auto cue = sineCue("middle.wav");
    // Start and end near peaks of the sine, on no cycle's edge.
    const std::size_t start = 48000 + 60;
    const std::size_t end = 96000 + 61;
    cue->setEndTime(end / double(kRate));
    cue->setStartTime(start / double(kRate));
    const std::size_t before = cycles(2);
    inABatch([&] { cue->triggerDown(); });
    const std::size_t first = cycles((end - start) / kPeriod + 3);
    ASSERT_EQ(first, before + 2 * kPeriod);
    EXPECT_EQ(heardFrom(first, kFade), sineFrom(start, kFade, rise));
    EXPECT_LE(stepThroughFadeFrom(first), ownStep);

    const std::size_t endFrame = first + end - start;
    EXPECT_EQ(heardFrom(endFrame - kFade, kFade), sineFrom(end - kFade, kFade, fall));
    const auto all = heard();
    EXPECT_EQ(std::vector<float>(all.begin() + endFrame, all.end()), silence(all.size() - endFrame))
        << "the last sound is on the end point's frame before";
    EXPECT_LE(ToneSteps::largestStep(all, endFrame - kFade - 2, endFrame + 1), ownStep);
}
