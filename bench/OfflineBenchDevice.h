#pragma once

#include "audio/device/KivAudioDevice.h"
#include "audio/device/KivAudioHardware.h"
#include "platform/audio/OfflineBackend.h"

#include <memory>

// Installs hardware of one offline device "bench" (stereo unless told) and
// opens it; the device is null when it does not open. The benchmark calls
// its render itself, as the stream's thread would.
inline std::shared_ptr<KivAudioDevice>
openOfflineBenchDevice(double rate, std::uint32_t framesPerCycle, std::uint32_t channels = 2) {
    auto offline = std::make_unique<OfflineBackend>();
    AudioDeviceInfo info;
    info.uid = "bench";
    info.name = "Bench";
    info.outputChannels = channels;
    info.nominalSampleRate = rate;
    info.bufferSizeInFrames = framesPerCycle;
    offline->plug(info);
    std::vector<std::unique_ptr<AudioBackend>> backends;
    backends.push_back(std::move(offline));
    KivAudioHardware::setCurrent(std::make_shared<KivAudioHardware>(std::move(backends)));
    auto device = KivAudioDevice::deviceWithUID("bench");
    if (device && !device->open()) {
        device.reset();
    }
    return device;
}
