#pragma once

#include "audio/device/KivAudioHardware.h"
#include "platform/audio/OfflineBackend.h"

#include <memory>

// Installs hardware with one offline backend (and optionally more backends
// after it) for the lifetime of a test, then returns to the default.
class OfflineHardware {
public:
    explicit OfflineHardware(std::vector<std::unique_ptr<AudioBackend>> more = {}) {
        auto offline = std::make_unique<OfflineBackend>();
        backend = offline.get();
        std::vector<std::unique_ptr<AudioBackend>> backends;
        backends.push_back(std::move(offline));
        for (auto& b : more) {
            backends.push_back(std::move(b));
        }
        hardware = std::make_shared<KivAudioHardware>(std::move(backends));
        KivAudioHardware::setCurrent(hardware);
    }
    ~OfflineHardware() { KivAudioHardware::setCurrent(nullptr); }

    static AudioDeviceInfo device(const std::string& uid, std::uint32_t channels = 2) {
        AudioDeviceInfo info;
        info.uid = uid;
        info.name = "Card " + uid;
        info.manufacturer = "Maker";
        info.modelUID = "model-" + uid;
        info.outputChannels = channels;
        info.nominalSampleRate = 48000.0;
        info.bufferSizeInFrames = 64;
        info.minBufferSizeInFrames = 16;
        info.maxBufferSizeInFrames = 1024;
        return info;
    }

    OfflineBackend* backend;
    std::shared_ptr<KivAudioHardware> hardware;
};
