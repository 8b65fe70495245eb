#include "audio/device/KivDeviceVolumes.h"

#include "foundation/KivStatusError.h"

#include <algorithm>
#include <cstdio>

KivDeviceVolumes::KivDeviceVolumes(MatrixMixer& mixer, std::uint32_t feedChannels)
    : _mixer(mixer)
    , _feedChannels(feedChannels) {}

void KivDeviceVolumes::set(MixerScope scope, std::uint32_t element, float volume,
                           const char* operation, int line) {
    const std::int32_t status = _mixer.setParameter(MixerParameter::Volume, scope, element, volume);
    if (status != MixerStatus::Ok) {
        logStatusError(status, operation, line);
    }
}

float KivDeviceVolumes::masterVolume() const {
    float volume = 0.0f;
    const std::int32_t status =
        _mixer.parameter(MixerParameter::Volume, MixerScope::Global, kMixerMasterElement, volume);
    if (status != MixerStatus::Ok) {
        logStatusError(status, __func__, __LINE__);
        return 0.0f;
    }
    return volume;
}

void KivDeviceVolumes::setMasterVolume(float volume) {
    set(MixerScope::Global, kMixerMasterElement, volume, __func__, __LINE__);
}

void KivDeviceVolumes::setRawInputVolume(float volume, std::uint32_t channel) {
    set(MixerScope::Input, channel, volume, __func__, __LINE__);
}

void KivDeviceVolumes::setInputVolume(float volume, std::uint32_t channel) {
    for (std::uint32_t n = channel; n < _mixer.inputChannelCount(); n += _feedChannels) {
        setRawInputVolume(volume, n);
    }
}

void KivDeviceVolumes::setOutputVolume(float volume, std::uint32_t channel) {
    set(MixerScope::Output, channel, volume, __func__, __LINE__);
}

void KivDeviceVolumes::setRawCrosspointVolume(float volume, std::uint32_t input,
                                              std::uint32_t output) {
    const std::int32_t status = _mixer.setParameter(MixerParameter::Volume, MixerScope::Global,
                                                    mixerCrosspointElement(input, output), volume);
    if (status != MixerStatus::Ok) {
        char text[48];
        std::snprintf(text, sizeof text, "input=%i, output=%i", int(input), int(output));
        logStatusError(status, text, __func__, __LINE__);
    }
}

void KivDeviceVolumes::setCrosspointVolume(float volume, std::uint32_t input,
                                           std::uint32_t output) {
    for (std::uint32_t n = input; n < _mixer.inputChannelCount(); n += _feedChannels) {
        setRawCrosspointVolume(volume, n, output);
    }
}

void KivDeviceVolumes::setVolume(float volume, std::uint32_t row, std::uint32_t column) {
    if (row == 0 && column == 0) {
        setMasterVolume(volume);
    } else if (row == 0) {
        setOutputVolume(volume, column - 1);
    } else if (column == 0) {
        setInputVolume(volume, row - 1);
    } else {
        setCrosspointVolume(volume, row - 1, column - 1);
    }
}

void KivDeviceVolumes::setSilentCrosspoints() {
    for (std::uint32_t k = 0; k < _feedChannels; ++k) {
        for (std::uint32_t m = 0; m < _mixer.outputChannelCount(); ++m) {
            setCrosspointVolume(0.0f, k, m);
        }
    }
}

void KivDeviceVolumes::setDefaultVolumes() {
    setMasterVolume(1.0f);
    for (std::uint32_t m = 0; m < _mixer.outputChannelCount(); ++m) {
        setOutputVolume(1.0f, m);
    }
    for (std::uint32_t k = 0; k < _feedChannels; ++k) {
        setInputVolume(1.0f, k);
    }
    setSilentCrosspoints();
    for (std::uint32_t i = 0; i < std::min(_feedChannels, _mixer.outputChannelCount()); ++i) {
        setCrosspointVolume(1.0f, i, i);
    }
}

void KivDeviceVolumes::setSilentVolumes() {
    setMasterVolume(0.0f);
    for (std::uint32_t m = 0; m < _mixer.outputChannelCount(); ++m) {
        setOutputVolume(0.0f, m);
    }
    for (std::uint32_t k = 0; k < _feedChannels; ++k) {
        setInputVolume(0.0f, k);
    }
    setSilentCrosspoints();
}

float KivDeviceVolumes::meter(MixerParameter parameter, std::uint32_t channel,
                              const char* operation, int line) const {
    float level = kMeterFloorDb;
    const std::int32_t status = _mixer.parameter(parameter, MixerScope::Output, channel, level);
    if (status != MixerStatus::Ok) {
        logStatusError(status, operation, line);
        return kMeterFloorDb;
    }
    return level;
}

float KivDeviceVolumes::outPostAveragePower(std::uint32_t channel) const {
    return meter(MixerParameter::PostAveragePower, channel, __func__, __LINE__);
}

float KivDeviceVolumes::outPostPeakHoldLevel(std::uint32_t channel) const {
    return meter(MixerParameter::PostPeakHoldLevel, channel, __func__, __LINE__);
}
