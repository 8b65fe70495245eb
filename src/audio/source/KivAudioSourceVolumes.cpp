#include "audio/device/KivDeviceVolumes.h"
#include "audio/effects/KivAudioSend.h"
#include "audio/render/MatrixMixer.h"
#include "audio/source/KivAudioSource.h"
#include "foundation/KivLog.h"

// The source's mixer has one input bus, so the device's gain helpers address
// it with the file channels as the "feed".
template <class F>
bool KivAudioSource::withMixer(F&& f) const {
    std::shared_lock mixerLock(_mixerMutex);
    if (!_mixer || !_validStream.load(std::memory_order_acquire)) {
        return false;
    }
    KivDeviceVolumes volumes(*_mixer, _mixer->inputChannelCount());
    f(*_mixer, volumes);
    return true;
}

float KivAudioSource::masterVolume() const {
    float volume = 0.0f;
    withMixer([&](MatrixMixer&, KivDeviceVolumes& v) { volume = v.masterVolume(); });
    return volume;
}

void KivAudioSource::setMasterVolume(float volume) {
    withMixer([&](MatrixMixer&, KivDeviceVolumes& v) { v.setMasterVolume(volume); });
}

void KivAudioSource::setInputVolume(float volume, std::uint32_t channel) {
    withMixer([&](MatrixMixer& mixer, KivDeviceVolumes& v) {
        if (channel < mixer.inputChannelCount()) {
            v.setRawInputVolume(volume, channel);
        }
    });
}

void KivAudioSource::setOutputVolume(float volume, std::uint32_t channel) {
    withMixer([&](MatrixMixer& mixer, KivDeviceVolumes& v) {
        if (channel < mixer.outputChannelCount()) {
            v.setOutputVolume(volume, channel);
        }
    });
}

void KivAudioSource::setCrosspointVolume(float volume, std::uint32_t input, std::uint32_t output) {
    withMixer([&](MatrixMixer& mixer, KivDeviceVolumes& v) {
        if (input < mixer.inputChannelCount() && output < mixer.outputChannelCount()) {
            v.setRawCrosspointVolume(volume, input, output);
        }
    });
}

void KivAudioSource::setVolume(float volume, std::uint32_t row, std::uint32_t column) {
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

void KivAudioSource::setSilentVolumes() {
    withMixer([&](MatrixMixer&, KivDeviceVolumes& v) { v.setSilentVolumes(); });
}

void KivAudioSource::setDefaultVolumes() {
    const bool set = withMixer([&](MatrixMixer& mixer, KivDeviceVolumes& v) {
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
    if (!set) {
        logLine("Warning: KivAudioSource could not set default volumes because there was no "
                "valid stream.");
    }
}

void KivAudioSource::fadeToMasterVolume(float volume, double time) {
    _fades->fadeTo(volume, time);
}

void KivAudioSource::useSteppedFades(const Clock& clock) {
    _fades->endFades();
    _fades = std::make_unique<KivFadeRunner>(static_cast<KivFadeTarget&>(*this), clock,
                                             KivFadeRunner::Mode::Stepped);
}

std::size_t KivAudioSource::stepFades() {
    return _fades->stepFades();
}

float KivAudioSource::outPostAveragePowerAtChannel(std::uint32_t channel) const {
    float level = kMeterFloorDb;
    withMixer([&](MatrixMixer&, KivDeviceVolumes& v) { level = v.outPostAveragePower(channel); });
    return level;
}

float KivAudioSource::outPostPeakHoldLevelAtChannel(std::uint32_t channel) const {
    float level = kMeterFloorDb;
    withMixer([&](MatrixMixer&, KivDeviceVolumes& v) { level = v.outPostPeakHoldLevel(channel); });
    return level;
}

void KivAudioSource::setAuxVolume(float volume, std::uint32_t row, std::uint32_t column) {
    if (!send()) {
        logLine("Error: setAuxVolume: KivAudioSource has no send.");
        return;
    }
    // A send without a stream has no aux channels to address.
    if (const auto feed = auxFeedChannel(column)) {
        setVolume(volume, row, *feed + 1);
    }
}

float KivAudioSource::outPostAveragePowerAtAuxChannel(std::uint32_t channel) const {
    if (!send()) {
        return 0.0f;
    }
    const auto feed = auxFeedChannel(channel);
    return feed ? outPostAveragePowerAtChannel(*feed) : kMeterFloorDb;
}

float KivAudioSource::outPostPeakHoldLevelAtAuxChannel(std::uint32_t channel) const {
    if (!send()) {
        return 0.0f;
    }
    const auto feed = auxFeedChannel(channel);
    return feed ? outPostPeakHoldLevelAtChannel(*feed) : kMeterFloorDb;
}

std::optional<std::uint32_t> KivAudioSource::auxFeedChannel(std::uint32_t channel) const {
    const auto sendNow = send();
    if (!sendNow) {
        return std::nullopt;
    }
    // The send's input is the device feed followed by its aux channels.
    const auto format = sendNow->inputFormat();
    if (!format) {
        return std::nullopt;
    }
    return format->channels() - sendNow->auxChannels() + channel;
}
