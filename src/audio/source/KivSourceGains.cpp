#include "audio/source/KivSourceGains.h"

#include "audio/device/KivDeviceVolumes.h"

#include <mutex>
#include <utility>

KivSourceGains::KivSourceGains(const std::atomic<bool>& valid, const std::atomic<bool>& playing)
    : _valid(valid)
    , _playing(playing)
    , _fades(std::make_unique<KivFadeRunner>(static_cast<KivFadeTarget&>(*this), _steadyClock)) {}

KivSourceGains::~KivSourceGains() {
    _fades->endFades();
}

// The source's mixer has one input bus, so the device's gain helpers address
// it with the file channels as the "feed".
template <class F>
bool KivSourceGains::withMixer(F&& f) const {
    std::shared_lock mixerLock(_mixerMutex);
    if (!_mixer || !_valid.load(std::memory_order_acquire)) {
        return false;
    }
    KivDeviceVolumes volumes(*_mixer, _mixer->inputChannelCount());
    f(*_mixer, volumes);
    return true;
}

float KivSourceGains::masterVolume() const {
    float volume = 0.0f;
    withMixer([&](MatrixMixer&, KivDeviceVolumes& v) { volume = v.masterVolume(); });
    return volume;
}

void KivSourceGains::setMasterVolume(float volume) {
    withMixer([&](MatrixMixer&, KivDeviceVolumes& v) { v.setMasterVolume(volume); });
}

void KivSourceGains::setInputVolume(float volume, std::uint32_t channel) {
    withMixer([&](MatrixMixer& mixer, KivDeviceVolumes& v) {
        if (channel < mixer.inputChannelCount()) {
            v.setRawInputVolume(volume, channel);
        }
    });
}

void KivSourceGains::setOutputVolume(float volume, std::uint32_t channel) {
    withMixer([&](MatrixMixer& mixer, KivDeviceVolumes& v) {
        if (channel < mixer.outputChannelCount()) {
            v.setOutputVolume(volume, channel);
        }
    });
}

void KivSourceGains::setCrosspointVolume(float volume, std::uint32_t input, std::uint32_t output) {
    withMixer([&](MatrixMixer& mixer, KivDeviceVolumes& v) {
        if (input < mixer.inputChannelCount() && output < mixer.outputChannelCount()) {
            v.setRawCrosspointVolume(volume, input, output);
        }
    });
}

void KivSourceGains::setVolume(float volume, std::uint32_t row, std::uint32_t column) {
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

void KivSourceGains::setSilentVolumes() {
    withMixer([&](MatrixMixer&, KivDeviceVolumes& v) { v.setSilentVolumes(); });
}

bool KivSourceGains::setDefaultVolumes() {
    return withMixer([&](MatrixMixer& mixer, KivDeviceVolumes& v) {
        v.setMasterVolume(1.0f);
        for (std::uint32_t m = 0; m < mixer.outputChannelCount(); ++m) {
            v.setOutputVolume(1.0f, m);
        }
        for (std::uint32_t n = 0; n < mixer.inputChannelCount(); ++n) {
            v.setRawInputVolume(1.0f, n);
            if (n < mixer.outputChannelCount()) {
                v.setRawCrosspointVolume(1.0f, n, n);
            }
        }
    });
}

float KivSourceGains::outPostAveragePowerAtChannel(std::uint32_t channel) const {
    float level = kMeterFloorDb;
    withMixer([&](MatrixMixer&, KivDeviceVolumes& v) { level = v.outPostAveragePower(channel); });
    return level;
}

float KivSourceGains::outPostPeakHoldLevelAtChannel(std::uint32_t channel) const {
    float level = kMeterFloorDb;
    withMixer([&](MatrixMixer&, KivDeviceVolumes& v) { level = v.outPostPeakHoldLevel(channel); });
    return level;
}

void KivSourceGains::fadeToMasterVolume(float volume, double time) {
    _fades->fadeTo(volume, time);
}

void KivSourceGains::endFades() {
    _fades->endFades();
}

void KivSourceGains::useSteppedFades(const Clock& clock) {
    _fades->endFades();
    _fades = std::make_unique<KivFadeRunner>(static_cast<KivFadeTarget&>(*this), clock,
                                             KivFadeRunner::Mode::Stepped);
}

std::size_t KivSourceGains::stepFades() {
    return _fades->stepFades();
}

MatrixLevels KivSourceGains::levels() const {
    std::shared_lock mixerLock(_mixerMutex);
    return _mixer ? _mixer->levels() : MatrixLevels{};
}

std::unique_ptr<MatrixMixer> KivSourceGains::exchangeMixer(std::unique_ptr<MatrixMixer> mixer) {
    std::unique_lock mixerLock(_mixerMutex);
    return std::exchange(_mixer, std::move(mixer));
}
