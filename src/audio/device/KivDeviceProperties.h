#pragma once

#include "audio/core/KivAudioStreamDescription.h"
#include "audio/device/KivAudioNotifications.h"
#include "platform/audio/AudioDeviceInfo.h"

#include <cstdint>
#include <optional>
#include <string>

class KivAudioHardware;

// A device's properties, read afresh from the hardware at every call. A
// device that is gone logs the error line and gives none or 0; so does an
// empty text.
class KivDeviceProperties {
public:
    // `hardware` is kept, not owned.
    KivDeviceProperties(KivAudioHardware& hardware, AudioObjectID id)
        : _hardware(hardware)
        , _deviceID(id) {}

    // The whole record; none, with the error line naming `operation`, for a
    // device that is gone.
    std::optional<AudioDeviceInfo> info(const char* operation, int line) const;

    std::optional<std::string> deviceUID() const;
    std::optional<std::string> deviceModelUID() const;
    std::optional<std::string> name() const;
    std::optional<std::string> manufacturer() const;
    double nominalSampleRate() const;
    std::uint32_t bufferSizeInFrames() const;
    bool setBufferSizeInFrames(std::uint32_t frames);
    std::uint32_t minBufferSizeInFrames() const;
    std::uint32_t maxBufferSizeInFrames() const;
    std::uint32_t inputChannels() const;
    std::uint32_t outputChannels() const;
    KivAudioStreamDescription outputStreamDescription() const;

private:
    // A numeric property, 0 when the device is gone (the failure is logged).
    template <typename T>
    T number(T AudioDeviceInfo::*field, const char* operation, int line) const {
        const auto found = info(operation, line);
        return found ? *found.*field : T{};
    }
    std::optional<std::string> text(std::string AudioDeviceInfo::*field, const char* operation,
                                    int line) const;

    KivAudioHardware& _hardware;
    const AudioObjectID _deviceID;
};
