#pragma once

#include "OfflineHardware.h"
#include "audio/device/KivAudioDevice.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

// An open device on the offline backend, rendered by hand in 64-frame
// cycles, with helpers that read back what each cycle put out.
class OpenDeviceFixture : public ::testing::Test {
protected:
    static constexpr std::uint32_t kCycle = 64;

    explicit OpenDeviceFixture(std::uint32_t channels = 2)
        : _channels(channels) {
        hardware.backend->plug(OfflineHardware::device("card", channels));
        device = KivAudioDevice::deviceWithUID("card");
        EXPECT_TRUE(device);
        EXPECT_TRUE(device->open());
    }
    ~OpenDeviceFixture() override {
        device->close();
        device.reset();
    }

    // Renders `cycles` cycles; answers the index of the first of them.
    std::size_t render(std::uint32_t cycles = 1) {
        const std::size_t first = capturedCycles();
        hardware.backend->render(cycles * kCycle);
        return first;
    }
    std::size_t capturedCycles() const {
        return hardware.backend->capturedSampleCount("card") / (kCycle * _channels);
    }
    // Output `channel` of captured cycle `cycle`, frame by frame.
    std::vector<float> cycleOutput(std::size_t cycle, std::uint32_t channel) const {
        const auto captured = hardware.backend->capturedOutput("card", cycle * kCycle * _channels,
                                                               kCycle * _channels);
        std::vector<float> out(kCycle);
        for (std::uint32_t f = 0; f < kCycle; ++f) {
            out[f] = captured.at(f * _channels + channel);
        }
        return out;
    }
    // Every frame of output `channel` captured so far, whatever the cycles.
    std::vector<float> heard(std::uint32_t channel = 0) const {
        const auto captured = hardware.backend->capturedOutput("card");
        std::vector<float> out;
        for (std::size_t f = channel; f < captured.size(); f += _channels) {
            out.push_back(captured[f]);
        }
        return out;
    }
    // A cycle of `level` on frame 0 and silence after it.
    static std::vector<float> impulse(float level) {
        std::vector<float> out(kCycle, 0.0f);
        out[0] = level;
        return out;
    }
    static std::vector<float> constant(float level) { return std::vector<float>(kCycle, level); }

    OfflineHardware hardware;
    std::shared_ptr<KivAudioDevice> device;

private:
    const std::uint32_t _channels;
};
