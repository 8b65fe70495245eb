#include "audio/device/KivAudioDevice.h"
#include "audio/device/KivDeviceVolumes.h"
#include "audio/render/KivVolumesText.h"
#include "audio/render/MatrixMixer.h"

#include <cstdio>

template <class F>
bool KivAudioDevice::withVolumes(F&& f) const {
    std::shared_lock mixerLock(_mixerMutex);
    if (!_volumes) {
        return false;
    }
    f(*_volumes);
    return true;
}

float KivAudioDevice::masterVolume() const {
    float volume = 0.0f;
    withVolumes([&](KivDeviceVolumes& v) { volume = v.masterVolume(); });
    return volume;
}

void KivAudioDevice::setMasterVolume(float volume) {
    withVolumes([&](KivDeviceVolumes& v) { v.setMasterVolume(volume); });
}

void KivAudioDevice::setInputVolume(float volume, std::uint32_t channel) {
    withVolumes([&](KivDeviceVolumes& v) { v.setInputVolume(volume, channel); });
}

void KivAudioDevice::setOutputVolume(float volume, std::uint32_t channel) {
    withVolumes([&](KivDeviceVolumes& v) { v.setOutputVolume(volume, channel); });
}

void KivAudioDevice::setCrosspointVolume(float volume, std::uint32_t input, std::uint32_t output) {
    withVolumes([&](KivDeviceVolumes& v) { v.setCrosspointVolume(volume, input, output); });
}

void KivAudioDevice::_setRawInputVolume(float volume, std::uint32_t channel) {
    withVolumes([&](KivDeviceVolumes& v) { v.setRawInputVolume(volume, channel); });
}

void KivAudioDevice::_setRawCrosspointVolume(float volume, std::uint32_t input,
                                             std::uint32_t output) {
    withVolumes([&](KivDeviceVolumes& v) { v.setRawCrosspointVolume(volume, input, output); });
}

void KivAudioDevice::setVolume(float volume, std::uint32_t row, std::uint32_t column) {
    withVolumes([&](KivDeviceVolumes& v) { v.setVolume(volume, row, column); });
}

void KivAudioDevice::setSilentCrosspoints() {
    withVolumes([&](KivDeviceVolumes& v) { v.setSilentCrosspoints(); });
}

void KivAudioDevice::setDefaultVolumes() {
    withVolumes([&](KivDeviceVolumes& v) { v.setDefaultVolumes(); });
}

void KivAudioDevice::setSilentVolumes() {
    withVolumes([&](KivDeviceVolumes& v) { v.setSilentVolumes(); });
}

float KivAudioDevice::outPostAveragePowerAtChannel(std::uint32_t channel) const {
    float level = kMeterFloorDb;
    withVolumes([&](KivDeviceVolumes& v) { level = v.outPostAveragePower(channel); });
    return level;
}

float KivAudioDevice::outPostPeakHoldLevelAtChannel(std::uint32_t channel) const {
    float level = kMeterFloorDb;
    withVolumes([&](KivDeviceVolumes& v) { level = v.outPostPeakHoldLevel(channel); });
    return level;
}

void KivAudioDevice::printVolumes() const {
    std::string text;
    {
        std::shared_lock mixerLock(_mixerMutex);
        if (!_mixer) {
            return;
        }
        text = volumesText(_mixer->levels());
    }
    std::fputs(text.c_str(), stdout);
    std::fflush(stdout);
}

void KivAudioDevice::fadeToMasterVolume(float volume, double time) {
    _fades->fadeTo(volume, time);
}

void KivAudioDevice::useSteppedFades(const Clock& clock) {
    _fades->endFades();
    _fades = std::make_unique<KivFadeRunner>(static_cast<KivFadeTarget&>(*this), clock,
                                             KivFadeRunner::Mode::Stepped);
}

std::size_t KivAudioDevice::stepFades() {
    return _fades->stepFades();
}
