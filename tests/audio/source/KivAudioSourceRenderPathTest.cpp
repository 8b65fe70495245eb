#include "audio/SourceFixture.h"
#include "support/RenderThreadLocks.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

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
    // The pass plays out to its end (which is inside the file, so it fades
    // out onto it) and the loop does not come round again.
    const std::size_t rest = (kLoopCycles - 3) * kCycle;
    const auto played = output(first, kLoopCycles);
    EXPECT_EQ(std::vector<float>(played.begin(), played.begin() + rest),
              endingAtTheEndPoint(ramp(kRate / 2 + 3 * kCycle, rest)));
    EXPECT_EQ(std::vector<float>(played.begin() + rest, played.end()),
              std::vector<float>(3 * kCycle, 0.0f));
}

// The GUI polls a playing cue's times while another thread keeps seeking it
// and the read-ahead runs on its own threads: the render path waits for
// neither, and plays the file (or silence while a seek's read-ahead comes,
// or the fade from one place to the next).
TEST_F(SourceRenderPathTest, NoBlockingLockWhileAThreadSeeksAndTheGuiPolls) {
    if (!renderThreadLocksAreSeen()) {
        GTEST_SKIP() << "the sanitizer owns pthread_mutex_lock";
    }
    auto source = KivAudioSource::create(scheduler, clock);
    ASSERT_TRUE(source);
    source->setDevice(device);
    source->setAlias(KivAlias::aliasWithPath(rampFile("ramp.wav", 2.0)));
    source->setDefaultVolumes();
    source->play();

    std::atomic<bool> rendering{true};
    std::atomic<int> seeks{0};
    std::atomic<int> polls{0};
    std::thread seeker([&] {
        for (int i = 0; i < 500 && rendering.load(); ++i) {
            source->goToTime(0.01 * (i % 150));
            seeks.fetch_add(1);
            std::this_thread::yield();
        }
    });
    std::thread gui([&] {
        double sum = 0.0;
        while (rendering.load()) {
            sum += source->currentFileTime() + source->elapsedLogicalTime() +
                   source->elapsedPlayTime() + source->timeUntilLoop();
            sum += source->isFinished() ? 1.0 : 0.0;
            polls.fetch_add(1);
        }
        EXPECT_GE(sum, 0.0);
    });
    const auto locks = renderThreadBlockingLocks();
    const std::size_t first = render(2000);
    const auto blocking = renderThreadBlockingLocks() - locks;
    rendering.store(false);
    seeker.join();
    gui.join();

    EXPECT_EQ(blocking, 0u);
    EXPECT_GT(seeks.load(), 0);
    EXPECT_GT(polls.load(), 0);
    std::size_t sounding = 0;
    std::size_t frames = 0;
    for (float sample : output(first, 2000)) {
        const float frame = sample / kStep;
        // A fade between two places of the ramp lies between them.
        ASSERT_TRUE(frame >= 0.0f && frame < 2.0f * kRate) << sample;
        sounding += sample != 0.0f ? 1 : 0;
        frames += frame == std::floor(frame) ? 1 : 0;
    }
    EXPECT_TRUE(sounding > 0 || source->droppedFrames() > 0) << "the file was never read";
    EXPECT_GT(frames, 0u) << "no frame of the file played as it is";
}
