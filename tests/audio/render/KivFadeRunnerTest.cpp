#include "audio/render/KivFadeRunner.h"

#include "audio/render/KivFadeCurve.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace {

// A master gain that records every value a fade writes; a test can wait for
// a write it expects (the fade threads signal it, nobody polls).
class RecordingTarget : public KivFadeTarget {
public:
    explicit RecordingTarget(float volume)
        : _volume(volume) {}

    float fadeVolume() override {
        std::lock_guard lock(_mutex);
        return _volume;
    }
    void setFadeVolume(float volume) override {
        {
            std::lock_guard lock(_mutex);
            _volume = volume;
            _writes.push_back(volume);
        }
        _written.notify_all();
    }
    bool fadeMayContinue() override {
        std::lock_guard lock(_mutex);
        return _open;
    }

    void close() {
        std::lock_guard lock(_mutex);
        _open = false;
    }
    float volume() {
        std::lock_guard lock(_mutex);
        return _volume;
    }
    std::vector<float> writes() {
        std::lock_guard lock(_mutex);
        return _writes;
    }
    // Blocks until `count` values have been written in all.
    void awaitWrites(std::size_t count) {
        std::unique_lock lock(_mutex);
        _written.wait(lock, [&] { return _writes.size() >= count; });
    }
    // Blocks until `value` has been written.
    void awaitWrite(float value) {
        std::unique_lock lock(_mutex);
        _written.wait(lock, [&] {
            for (float written : _writes) {
                if (written == value) {
                    return true;
                }
            }
            return false;
        });
    }

private:
    std::mutex _mutex;
    std::condition_variable _written;
    float _volume;
    bool _open = true;
    std::vector<float> _writes;
};

class SteppedFadeTest : public ::testing::Test {
protected:
    ManualClock clock{100.0};
    RecordingTarget target{1.0f};
    KivFadeRunner runner{target, clock, KivFadeRunner::Mode::Stepped};
};

} // namespace

TEST(FadeCurve, RunsFromStartToEndAlongARaisedCosine) {
    EXPECT_FLOAT_EQ(computeFade(1.0f, 0.0f, 2.0, 0.0), 1.0f);
    EXPECT_FLOAT_EQ(computeFade(1.0f, 0.0f, 2.0, 1.0), 0.5f);
    EXPECT_FLOAT_EQ(computeFade(0.2f, 0.8f, 2.0, 1.0), 0.5f);
    EXPECT_FLOAT_EQ(computeFade(1.0f, 0.0f, 2.0, 2.0), 0.0f);
    // Slow at both ends: a quarter of the way in, less than a quarter done.
    EXPECT_GT(computeFade(1.0f, 0.0f, 2.0, 0.5), 0.75f);
    EXPECT_NEAR(computeFade(1.0f, 0.0f, 2.0, 0.5), 0.5f + 0.5f * std::cos(3.14159265f / 4), 1e-6);
}

TEST(FadeCurve, ClampsElapsedTimeAndGivesTheEndForNoDuration) {
    EXPECT_FLOAT_EQ(computeFade(1.0f, 0.25f, 2.0, 5.0), 0.25f);
    EXPECT_FLOAT_EQ(computeFade(1.0f, 0.25f, 2.0, -1.0), 1.0f);
    EXPECT_FLOAT_EQ(computeFade(1.0f, 0.25f, 0.0, 0.0), 0.25f);
    EXPECT_FLOAT_EQ(computeFade(1.0f, 0.25f, -3.0, 1.0), 0.25f);
    EXPECT_FLOAT_EQ(computeFade(1.0f, 0.25f, NAN, 1.0), 0.25f);
}

TEST_F(SteppedFadeTest, MidpointIsHalfWayAndTheEndIsExact) {
    runner.fadeTo(0.2f, 1.0);
    EXPECT_EQ(runner.stepFades(), 1u);
    EXPECT_FLOAT_EQ(target.volume(), 1.0f);

    clock.advance(0.5);
    runner.stepFades();
    EXPECT_FLOAT_EQ(target.volume(), (1.0f + 0.2f) / 2);

    clock.advance(0.5);
    EXPECT_EQ(runner.stepFades(), 0u);
    EXPECT_EQ(target.volume(), 0.2f);
}

TEST_F(SteppedFadeTest, StartsFromTheGainAtItsFirstStep) {
    runner.fadeTo(0.0f, 1.0);
    target.setFadeVolume(0.6f);
    runner.stepFades();
    clock.advance(0.5);
    runner.stepFades();
    EXPECT_FLOAT_EQ(target.volume(), 0.3f);
}

TEST_F(SteppedFadeTest, ANewerFadeEndsTheOlderWithinOneStep) {
    runner.fadeTo(0.0f, 1.0);
    runner.stepFades();
    clock.advance(0.25);
    runner.stepFades();
    const float reached = target.volume();
    ASSERT_LT(reached, 1.0f);

    runner.fadeTo(1.0f, 2.0);
    clock.advance(KivFadeRunner::kStepSeconds);
    EXPECT_EQ(runner.stepFades(), 1u) << "the older fade ends at its next step";
    EXPECT_FLOAT_EQ(target.volume(), reached) << "the newer fade starts where the older stopped";

    clock.advance(2.0);
    EXPECT_EQ(runner.stepFades(), 0u);
    EXPECT_EQ(target.volume(), 1.0f);
    for (float written : target.writes()) {
        EXPECT_NE(written, 0.0f) << "the older fade never sets its final value";
    }
}

TEST_F(SteppedFadeTest, AFadeOfNoDurationSetsTheFinalValueAtOnce) {
    runner.fadeTo(0.4f, 0.0);
    EXPECT_EQ(runner.stepFades(), 0u);
    EXPECT_EQ(target.writes(), (std::vector<float>{0.4f}));
}

TEST_F(SteppedFadeTest, AFadeEndsWithoutItsFinalValueWhenTheTargetCloses) {
    runner.fadeTo(0.0f, 1.0);
    runner.stepFades();
    clock.advance(0.3);
    runner.stepFades();
    const auto writesBefore = target.writes();
    target.close();
    clock.advance(1.0);
    EXPECT_EQ(runner.stepFades(), 0u);
    EXPECT_EQ(target.writes(), writesBefore);
}

TEST(ThreadedFade, ANewerFadeStopsTheOlderThreadBeforeFadeToReturns) {
    SteadyClock clock;
    RecordingTarget target(1.0f);
    KivFadeRunner runner(target, clock);
    runner.fadeTo(0.0f, 1000.0);
    target.awaitWrites(1); // the long fade runs

    runner.fadeTo(0.75f, 0.0);
    target.awaitWrite(0.75f);
    runner.endFades();

    // Nothing of the older fade lands after the newer one's final value.
    const auto writes = target.writes();
    EXPECT_EQ(writes.back(), 0.75f);
    EXPECT_EQ(std::count(writes.begin(), writes.end(), 0.75f), 1);
}

TEST(ThreadedFade, EndingFadesJoinsTheirThreadsWithoutFinalValues) {
    SteadyClock clock;
    RecordingTarget target(1.0f);
    {
        KivFadeRunner runner(target, clock);
        runner.fadeTo(0.0f, 1000.0);
        runner.fadeTo(0.5f, 1000.0);
        target.awaitWrites(1);
    } // the destructor ends and joins both
    for (float written : target.writes()) {
        EXPECT_NE(written, 0.0f);
        EXPECT_NE(written, 0.5f);
    }
}
