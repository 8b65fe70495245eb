#pragma once

#include "audio/effects/KivEffect.h"
#include "audio/effects/KivEffectUnit.h"
#include "audio/effects/KivLv2Catalogue.h"
#include "audio/effects/KivStream.h"
#include "foundation/ThreadRole.h"
#include "platform/effects/TestPlugins.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <nlohmann/json.hpp>
#include <numbers>
#include <vector>

// A full-scale sine on every channel that continues from call to call.
// Allocates nothing while rendering.
class SineInput : public KivAudioRendering {
public:
    explicit SineInput(double rate, double frequency = 441.0)
        : _step(2.0 * std::numbers::pi * frequency / rate) {}

    std::int32_t render(KivRenderFlags&, const KivRenderTimeStamp&, std::uint32_t,
                        const AudioChannels& data) override {
        for (std::uint32_t i = 0; i < data.frameCount; ++i) {
            const float sample = static_cast<float>(std::sin(_step * double(_frame + i)));
            for (std::uint32_t k = 0; k < data.channelCount; ++k) {
                if (data.channels[k] != nullptr) {
                    data.channels[k][i] = sample;
                }
            }
        }
        _frame += data.frameCount;
        ++_calls;
        return 0;
    }
    int calls() const { return _calls; }

private:
    double _step;
    std::uint64_t _frame = 0;
    int _calls = 0;
};

// Installs the test plugins' catalogue and gives each test a created stream.
class EffectFixture : public ::testing::Test {
protected:
    void SetUp() override {
        setComponentCatalogue(std::make_shared<KivLv2Catalogue>(testWorld()));
        ASSERT_TRUE(stream.create());
    }
    void TearDown() override {
        stream.destroy();
        setComponentCatalogue(nullptr);
    }

    static KivAudioComponentDescription gainDescription(const char* uri = kTestGainUri) {
        return KivAudioComponentDescription(kKivComponentTypeEffect, 0, 0, 0, 0, uri);
    }

    // An effect of the plugin, placed in `stream`, given the format and initialized.
    std::shared_ptr<KivEffect> placedEffect(const char* uri, double rate = 48000.0,
                                            std::uint32_t channels = 1) {
        auto effect = KivEffect::effectWithDescription(gainDescription(uri));
        EXPECT_TRUE(effect);
        EXPECT_TRUE(stream.addEffect(*effect));
        EXPECT_TRUE(effect->setStreamFormat(KivAudioStreamDescription(rate, channels)));
        EXPECT_TRUE(stream.initialize());
        return effect;
    }

    // Pulls `blocks` blocks of `frames` through `output` as the render path
    // does (render lock held, render thread) and answers each channel's peak
    // over the last block.
    std::vector<float> pull(const KivRenderInfo& output, std::uint32_t channels, int blocks = 8,
                            std::uint32_t frames = 512) {
        std::vector<std::vector<float>> samples(channels, std::vector<float>(frames));
        std::vector<float*> pointers;
        for (auto& channel : samples) {
            pointers.push_back(channel.data());
        }
        for (int block = 0; block < blocks; ++block) {
            KivStreamLock lock(stream, std::try_to_lock);
            EXPECT_TRUE(lock.ownsLock());
            ScopedThreadRole role(ThreadRole::Render);
            KivRenderFlags flags = 0;
            EXPECT_EQ(output.call(flags, KivRenderTimeStamp{}, 0,
                                  AudioChannels{pointers.data(), channels, frames}),
                      0);
        }
        std::vector<float> peaks;
        for (const auto& channel : samples) {
            peaks.push_back(peak(channel));
        }
        return peaks;
    }

    KivStream stream{512};
};
