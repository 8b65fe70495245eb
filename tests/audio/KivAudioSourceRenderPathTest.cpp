#include "SourceFixture.h"
#include "support/CapturingLogSink.h"
#include "support/RenderThreadLocks.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

class SourceRenderPathTest : public SourceFixture {
protected:
    static constexpr std::uint32_t kLoopCycles = 120;

    // A forever loop over [0.5 s, 0.5 s + 120 cycles) of the ramp, playing.
    std::shared_ptr<KivAudioSource> loopingRamp() {
        auto source = sourceOf(rampFile("ramp.wav"));
        EXPECT_TRUE(source->setSlices(
            nlohmann::json::array({{{"startTime", 0.5},
                                    {"endTime", 0.5 + double(kLoopCycles) * kCycle / kRate},
                                    {"playCount", -1}}})));
        source->play();
        return source;
    }
};

} // namespace

// devamp reaches the meta buffer on the render thread, inside the cycle: it
// must not wait there for a lock.
TEST_F(SourceRenderPathTest, DevampTakesNoBlockingLockOnTheRenderThread) {
    if (!renderThreadLocksAreSeen()) {
        GTEST_SKIP() << "the sanitizer owns pthread_mutex_lock";
    }
    auto source = loopingRamp();
    render(kLoopCycles + 3); // into the second pass, 3 cycles in
    source->devamp();
    const auto locks = renderThreadBlockingLocks();
    const std::size_t first = render(kLoopCycles);
    EXPECT_EQ(renderThreadBlockingLocks(), locks);
    // The pass plays out to its end and the loop does not come round again.
    const std::size_t rest = (kLoopCycles - 3) * kCycle;
    const auto played = output(first, kLoopCycles);
    EXPECT_EQ(std::vector<float>(played.begin(), played.begin() + rest),
              ramp(kRate / 2 + 3 * kCycle, rest));
    EXPECT_EQ(std::vector<float>(played.begin() + rest, played.end()),
              std::vector<float>(3 * kCycle, 0.0f));
}

// A render-thread lock that fails is an error code, never an exception
// under the noexcept render call: that cycle is silent and play goes on. Its
// error line comes once a second, not once a cycle, and counts the rest.
TEST_F(SourceRenderPathTest, AFailingLockOnTheRenderPathThrowsNothing) {
    if (!renderThreadLocksAreSeen()) {
        GTEST_SKIP() << "the sanitizer owns pthread_mutex_lock";
    }
    CapturingLogSink log;
    auto source = sourceOf(rampFile("ramp.wav"));
    source->play();
    render(2);
    for (int i = 0; i < 50; ++i) {
        failNextRenderThreadLock(EDEADLK);
        ASSERT_EQ(cycleOutput(render(), 0), constant(0.0f)) << "cycle " << i;
    }
    EXPECT_EQ(cycleOutput(render(), 0), ramp(2 * kCycle, kCycle))
        << "the missed cycles' frames are still to come";
    clock.advance(1.0);
    failNextRenderThreadLock(EDEADLK);
    render();
    drainRealtimeLog();
    const std::string line = "Error: 35 [   #] | KivAudioMetaBuffer::readFrames [line ";
    ASSERT_EQ(log.lines().size(), 2u);
    EXPECT_EQ(log.lines()[0].rfind(line, 0), 0u) << log.lines()[0];
    EXPECT_EQ(log.lines()[1].rfind(line, 0), 0u) << log.lines()[1];
    EXPECT_NE(log.lines()[1].find("] (49 more held back)"), std::string::npos) << log.lines()[1];
}
