#include "audio/MetaBufferFixture.h"

#include <atomic>
#include <cmath>
#include <thread>

// Meta buffers with their own tend and worker threads, seeked and given new
// slices while a render thread reads; run under ThreadSanitizer by
// scripts/test-tsan. Nothing waits on time: each side does a fixed amount of
// work, and what is checked holds whatever the interleaving.
namespace {

class KivAudioMetaBufferThreadTest : public MetaBufferFixture {
protected:
    static constexpr std::size_t kFileFrames = 3 * kRate;

    std::unique_ptr<KivAudioMetaBuffer> threaded(const std::shared_ptr<KivAlias>& alias) {
        const KivAudioStreamDescription format(kRate, 1);
        return KivAudioMetaBuffer::create(alias, &format);
    }

    // Renders `cycles` calls of 256 frames on a render-role thread; counts
    // the samples that are neither silence nor a frame of the file.
    static std::thread renderer(KivAudioMetaBuffer& meta, int cycles, std::atomic<int>& bad) {
        return std::thread([&meta, cycles, &bad] {
            // Made before the role: the render thread itself never allocates.
            std::vector<float> out(256);
            ScopedThreadRole role(ThreadRole::Render);
            float* channels[1] = {out.data()};
            for (int i = 0; i < cycles; ++i) {
                meta.readFrames(256, {channels, 1, 256}, 0);
                for (float sample : out) {
                    if (sample < 0.0f || sample >= float(kFileFrames) ||
                        sample != std::floor(sample)) {
                        ++bad;
                    }
                }
            }
        });
    }
};

TEST_F(KivAudioMetaBufferThreadTest, SeeksAndNewSlicesWhileRendering) {
    auto meta = threaded(ramp(kFileFrames));
    ASSERT_NE(meta, nullptr);
    std::atomic<int> bad{0};
    std::thread render = renderer(*meta, 3000, bad);
    for (int i = 0; i < 200; ++i) {
        if (i % 3 == 0) {
            EXPECT_TRUE(meta->setSlices(list(slice(0.5, 0.75, 2), slice(0.75, 1.0, -1))));
        }
        meta->goToTime(0.01 * i);
        meta->elapsedLogicalTime();
        meta->timeUntilLoop();
    }
    render.join();
    EXPECT_EQ(bad.load(), 0);
    meta->killWorker();
    meta->killWorker();
}

TEST_F(KivAudioMetaBufferThreadTest, RetiresBuffersAtLoopsWhileRenderingAndStops) {
    auto meta = threaded(ramp(kFileFrames));
    ASSERT_NE(meta, nullptr);
    ASSERT_TRUE(meta->setSlices(list(slice(1.0, 1.15, -1))));
    meta->goToTime(0);
    std::atomic<int> bad{0};
    // About 40 loop passes, each retiring a buffer on the tend thread.
    std::thread render = renderer(*meta, 1100, bad);
    render.join();
    EXPECT_EQ(bad.load(), 0);
    EXPECT_NEAR(meta->elapsedPlayTime(), 1100.0 * 256 / kRate, 1e-9);
    meta->killWorker();
    meta.reset();
}

TEST_F(KivAudioMetaBufferThreadTest, KillWorkerWhileTheRenderThreadStillReads) {
    auto meta = threaded(ramp(kFileFrames));
    ASSERT_NE(meta, nullptr);
    ASSERT_TRUE(meta->setSlices(list(slice(0.2, 0.4, -1))));
    meta->goToTime(0);
    std::atomic<int> bad{0};
    std::thread render = renderer(*meta, 500, bad);
    meta->killWorker();
    render.join();
    EXPECT_EQ(bad.load(), 0);
}

} // namespace
