#pragma once

#include "foundation/ThreadRole.h"
#include "platform/audio/AudioRenderCallback.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

// Fills a staircase: sample = (frame index + 1) / 65536 on channel 0, the
// same negated on channel 1, so every written sample can be checked. Records
// what the render thread looked like and lets a test wait for a frame count.
class RenderProbe : public AudioRenderCallback {
public:
    static float expected(std::uint64_t frame, std::uint32_t channel) {
        const float value = static_cast<float>((frame + 1) % 65536) / 65536.0f;
        return channel % 2 ? -value : value;
    }

    void render(const AudioRenderTime& time, const AudioOutputBuffer& buffer) noexcept override {
        allRender = allRender && isRenderThread();
        thread = std::this_thread::get_id();
        contiguous = contiguous && time.sampleTime == frames.load();
        for (std::uint32_t f = 0; f < buffer.frames; ++f) {
            for (std::uint32_t c = 0; c < buffer.channels; ++c) {
                const float v = expected(time.sampleTime + f, c);
                if (buffer.interleaved) {
                    buffer.data[0][f * buffer.channels + c] = v;
                } else {
                    buffer.data[c][f] = v;
                }
            }
        }
        cycles.fetch_add(1);
        frames.fetch_add(buffer.frames);
        std::lock_guard lock(mutex);
        changed.notify_all();
    }

    // Waits for the render thread; the bound only keeps a broken stream from
    // hanging the test run.
    bool waitForFrames(std::uint64_t count) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(30),
                                [&] { return frames.load() >= count; });
    }

    std::atomic<std::uint64_t> frames{0};
    std::atomic<int> cycles{0};
    std::atomic<bool> allRender{true};
    std::atomic<bool> contiguous{true};
    std::thread::id thread;
    std::mutex mutex;
    std::condition_variable changed;
};
