#pragma once

#include "TestPlugins.h"
#include "foundation/ThreadRole.h"
#include "platform/effects/EffectStatus.h"
#include "platform/effects/Lv2Processor.h"

#include <gtest/gtest.h>

#include <memory>
#include <mutex>

// Makes test processors bound to its own render lock and drives them the way
// an owner's render path does: under that lock, on a thread marked Render.
class ProcessorFixture : public ::testing::Test {
public:
    std::unique_ptr<Lv2Processor> make(const char* uri) {
        std::int32_t status = -1;
        auto processor = Lv2Processor::create(testWorld(), uri, _renderLock, status);
        EXPECT_EQ(status, kEffectNoErr);
        return processor;
    }

    std::int32_t prepare(EffectProcessor& processor, double rate, std::uint32_t maxFrames,
                         std::uint32_t channels) {
        EffectRenderLock held(_renderLock);
        return processor.prepare(held, rate, maxFrames, channels);
    }

    void render(EffectProcessor& processor, ChannelBuffers& buffers, std::uint32_t frames) {
        render(processor, buffers, buffers, frames);
    }
    void render(EffectProcessor& processor, const ChannelBuffers& input, ChannelBuffers& output,
                std::uint32_t frames) {
        std::lock_guard held(_renderLock);
        ScopedThreadRole role(ThreadRole::Render);
        processor.process(input.inputs.data(), output.outputs.data(), frames);
    }

    // Runs `blocks` blocks of a 441 Hz sine of the given amplitude through
    // the processor and returns the output peak of the last block on each channel.
    std::vector<float> sinePeaks(EffectProcessor& processor, std::uint32_t channels, double rate,
                                 float amplitude, int blocks = 4, std::uint32_t frames = 512) {
        ChannelBuffers buffers(channels, frames);
        for (int b = 0; b < blocks; ++b) {
            fillSine(buffers, 441.0, rate, amplitude, static_cast<std::uint64_t>(b) * frames);
            render(processor, buffers, frames);
        }
        std::vector<float> peaks;
        for (const auto& channel : buffers.data) {
            peaks.push_back(peak(channel));
        }
        return peaks;
    }

    std::mutex _renderLock;
};
