#include "audio/device/KivDeviceProperties.h"

#include "audio/device/KivAudioHardware.h"
#include "foundation/KivStatusError.h"

std::optional<AudioDeviceInfo> KivDeviceProperties::info(const char* operation, int line) const {
    auto info = _hardware.deviceInfo(_deviceID);
    if (!info) {
        logStatusError(kKivAudioHardwareBadObjectError, operation, line);
    }
    return info;
}

std::optional<std::string> KivDeviceProperties::text(std::string AudioDeviceInfo::*field,
                                                     const char* operation, int line) const {
    auto found = info(operation, line);
    if (!found) {
        return std::nullopt;
    }
    if ((*found.*field).empty()) {
        logStatusError(0, operation, line);
        return std::nullopt;
    }
    return *found.*field;
}

std::optional<std::string> KivDeviceProperties::deviceUID() const {
    return text(&AudioDeviceInfo::uid, "KivAudioDevice::deviceUID", __LINE__);
}

std::optional<std::string> KivDeviceProperties::deviceModelUID() const {
    return text(&AudioDeviceInfo::modelUID, "KivAudioDevice::deviceModelUID", __LINE__);
}

std::optional<std::string> KivDeviceProperties::name() const {
    return text(&AudioDeviceInfo::name, "KivAudioDevice::name", __LINE__);
}

std::optional<std::string> KivDeviceProperties::manufacturer() const {
    return text(&AudioDeviceInfo::manufacturer, "KivAudioDevice::manufacturer", __LINE__);
}

double KivDeviceProperties::nominalSampleRate() const {
    return number(&AudioDeviceInfo::nominalSampleRate, "KivAudioDevice::nominalSampleRate",
                  __LINE__);
}

std::uint32_t KivDeviceProperties::bufferSizeInFrames() const {
    return number(&AudioDeviceInfo::bufferSizeInFrames, "KivAudioDevice::bufferSizeInFrames",
                  __LINE__);
}

bool KivDeviceProperties::setBufferSizeInFrames(std::uint32_t frames) {
    if (!_hardware.setBufferSizeInFrames(_deviceID, frames)) {
        logStatusError(kKivAudioHardwareBadObjectError, "KivAudioDevice::setBufferSizeInFrames",
                       __LINE__);
        return false;
    }
    return true;
}

std::uint32_t KivDeviceProperties::minBufferSizeInFrames() const {
    return number(&AudioDeviceInfo::minBufferSizeInFrames, "KivAudioDevice::minBufferSizeInFrames",
                  __LINE__);
}

std::uint32_t KivDeviceProperties::maxBufferSizeInFrames() const {
    return number(&AudioDeviceInfo::maxBufferSizeInFrames, "KivAudioDevice::maxBufferSizeInFrames",
                  __LINE__);
}

std::uint32_t KivDeviceProperties::inputChannels() const {
    return number(&AudioDeviceInfo::inputChannels, "KivAudioDevice::inputChannels", __LINE__);
}

std::uint32_t KivDeviceProperties::outputChannels() const {
    return number(&AudioDeviceInfo::outputChannels, "KivAudioDevice::outputChannels", __LINE__);
}

KivAudioStreamDescription KivDeviceProperties::outputStreamDescription() const {
    auto found = info("KivAudioDevice::outputStreamDescription", __LINE__);
    if (!found) {
        return KivAudioStreamDescription(KivStreamBasicDescription{});
    }
    return KivAudioStreamDescription(found->nominalSampleRate, found->outputChannels);
}
