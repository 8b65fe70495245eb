#include "TestPlugins.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <string>

std::shared_ptr<Lv2World> testWorld() {
    static const std::shared_ptr<Lv2World> world = [] {
        std::string path = PONDRA_TEST_LV2_DIR;
        if (const char* given = std::getenv("LV2_PATH"); given && *given) {
            path += std::string(":") + given;
        } else {
            const char* home = std::getenv("HOME");
            path += std::string(":") + (home ? home : "") + "/.lv2:/usr/local/lib/lv2:/usr/lib/lv2";
        }
        setenv("LV2_PATH", path.c_str(), 1);
        return Lv2World::load();
    }();
    return world;
}

ChannelBuffers::ChannelBuffers(std::uint32_t channels, std::uint32_t frames)
    : data(channels, std::vector<float>(frames, 0.0f)) {
    for (auto& channel : data) {
        inputs.push_back(channel.data());
        outputs.push_back(channel.data());
    }
}

void fillSine(ChannelBuffers& buffers, double frequency, double sampleRate, float amplitude,
              std::uint64_t phaseFrame) {
    for (auto& channel : buffers.data) {
        for (std::size_t i = 0; i < channel.size(); ++i) {
            const double t = static_cast<double>(phaseFrame + i) / sampleRate;
            channel[i] =
                amplitude * static_cast<float>(std::sin(2.0 * std::numbers::pi * frequency * t));
        }
    }
}

float peak(const std::vector<float>& samples) {
    float result = 0.0f;
    for (float sample : samples) {
        result = std::max(result, std::fabs(sample));
    }
    return result;
}
