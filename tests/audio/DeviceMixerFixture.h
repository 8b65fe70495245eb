#pragma once

#include "audio/render/KivAudioBusMap.h"
#include "audio/render/KivAudioBuses.h"
#include "audio/render/MatrixMixer.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

// A device-sized mixer (500 buses of 48 channels into a stereo output) and
// its bus map, with helpers to route and pull one cycle.
class DeviceMixerFixture : public ::testing::Test {
protected:
    static constexpr std::uint32_t kFrames = 16;

    DeviceMixerFixture()
        : mixer(MatrixMixer::create(
              {std::vector<std::uint32_t>(kKivAudioBusCount, kKivAudioChannelsPerBus),
               {2},
               64,
               48000.0}))
        , buses(std::make_unique<KivAudioBusMap>(*mixer))
        , samples(2, std::vector<float>(kFrames, -1.0f))
        , pointers{samples[0].data(), samples[1].data()} {}

    // Feed channel 0 of `bus` to device output `output` at unity.
    void route(std::uint32_t bus, std::uint32_t output) {
        const std::uint32_t input = bus * kKivAudioChannelsPerBus;
        ASSERT_EQ(mixer->setParameter(MixerParameter::Volume, MixerScope::Global,
                                      mixerCrosspointElement(input, output), 1.0f),
                  MixerStatus::Ok);
    }

    bool busEnabled(std::uint32_t bus) const {
        float value = -1.0f;
        EXPECT_EQ(mixer->parameter(MixerParameter::Enable, MixerScope::Input, bus, value),
                  MixerStatus::Ok);
        return value == 1.0f;
    }

    std::int32_t pull(KivRenderFlags& flags, double sampleTime = 0.0) {
        const KivRenderTimeStamp timeStamp{sampleTime, 0};
        return buses->pull(flags, timeStamp, {pointers.data(), 2, kFrames});
    }
    std::int32_t pull() {
        KivRenderFlags flags = 0;
        return pull(flags);
    }

    std::unique_ptr<MatrixMixer> mixer;
    std::unique_ptr<KivAudioBusMap> buses;
    std::vector<std::vector<float>> samples;
    std::vector<float*> pointers;
};
