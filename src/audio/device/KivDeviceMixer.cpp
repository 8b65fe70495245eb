#include "audio/device/KivDeviceMixer.h"

#include "audio/device/KivDeviceVolumes.h"
#include "audio/render/KivAudioBusMap.h"
#include "audio/render/KivAudioBuses.h"
#include "audio/render/KivVolumesText.h"
#include "audio/render/MatrixMixer.h"
#include "foundation/KivStatusError.h"

#include <algorithm>

KivDeviceMixer::KivDeviceMixer() = default;

KivDeviceMixer::~KivDeviceMixer() = default;

bool KivDeviceMixer::build(const AudioStreamConfig& config) {
    // The window meters the outputs; the inputs, one per feed channel of
    // each cue, are metered only once someone reads them.
    auto mixer =
        MatrixMixer::create({std::vector<std::uint32_t>(kKivAudioBusCount, kKivAudioChannelsPerBus),
                             {config.channels},
                             config.framesPerBuffer,
                             config.sampleRate,
                             false,
                             true});
    if (!mixer) {
        return false;
    }
    auto busMap = std::make_unique<KivAudioBusMap>(*mixer);
    auto volumes = std::make_unique<KivDeviceVolumes>(*mixer, kKivAudioChannelsPerBus);
    volumes->setDefaultVolumes();
    if (config.interleaved) {
        _scratch.assign(std::size_t(config.channels) * config.framesPerBuffer, 0.0f);
        _scratchChannels.resize(config.channels);
        for (std::uint32_t c = 0; c < config.channels; ++c) {
            _scratchChannels[c] = _scratch.data() + std::size_t(c) * config.framesPerBuffer;
        }
    }
    {
        std::unique_lock lock(_mutex);
        _mixer = std::move(mixer);
        _busMap = std::move(busMap);
        _volumes = std::move(volumes);
    }
    _feedDesc =
        KivAudioStreamDescription(config.sampleRate, kKivAudioChannelsPerBus).streamDescription();
    return true;
}

void KivDeviceMixer::tearDown() {
    {
        std::unique_lock lock(_mutex);
        _busMap.reset();
        _volumes.reset();
        _mixer.reset();
    }
    _scratch.clear();
    _scratchChannels.clear();
    _feedDesc = {};
}

bool KivDeviceMixer::render(const AudioRenderTime& time, const AudioOutputBuffer& buffer) noexcept {
    if (!_busMap || buffer.frames == 0) {
        return false;
    }
    KivRenderFlags flags = 0;
    const KivRenderTimeStamp timeStamp{static_cast<double>(time.sampleTime), time.hostTime};
    if (buffer.interleaved) {
        renderInterleaved(flags, timeStamp, buffer);
    } else {
        _busMap->pull(flags, timeStamp, {buffer.data, buffer.channels, buffer.frames});
    }
    return true;
}

void KivDeviceMixer::renderInterleaved(KivRenderFlags& flags, const KivRenderTimeStamp& timeStamp,
                                       const AudioOutputBuffer& buffer) noexcept {
    const std::uint32_t channels = buffer.channels;
    const std::uint32_t block =
        channels == 0 ? 0 : static_cast<std::uint32_t>(_scratch.size() / channels);
    if (block == 0 || channels != _scratchChannels.size()) {
        return;
    }
    KivRenderTimeStamp blockTime = timeStamp;
    for (std::uint32_t done = 0; done < buffer.frames;) {
        const std::uint32_t frames = std::min(block, buffer.frames - done);
        _busMap->pull(flags, blockTime, {_scratchChannels.data(), channels, frames});
        float* out = buffer.data[0] + std::size_t(done) * channels;
        for (std::uint32_t f = 0; f < frames; ++f) {
            for (std::uint32_t c = 0; c < channels; ++c) {
                out[std::size_t(f) * channels + c] = _scratchChannels[c][f];
            }
        }
        done += frames;
        blockTime.sampleTime += frames;
    }
}

std::int32_t KivDeviceMixer::setEnabled(bool enabled, std::uint32_t bus) {
    std::shared_lock lock(_mutex);
    if (!_mixer || bus >= kKivAudioBusCount) {
        return 0;
    }
    const std::int32_t status =
        _mixer->setParameter(MixerParameter::Enable, MixerScope::Input, bus, enabled ? 1.0f : 0.0f);
    if (status != MixerStatus::Ok) {
        logStatusError(status, "KivAudioDevice::_setEnabled", __LINE__);
    }
    return status;
}

template <class F>
bool KivDeviceMixer::withVolumes(F&& f) const {
    std::shared_lock lock(_mutex);
    if (!_volumes) {
        return false;
    }
    f(*_volumes);
    return true;
}

float KivDeviceMixer::masterVolume() const {
    float volume = 0.0f;
    withVolumes([&](KivDeviceVolumes& v) { volume = v.masterVolume(); });
    return volume;
}

void KivDeviceMixer::setMasterVolume(float volume) {
    withVolumes([&](KivDeviceVolumes& v) { v.setMasterVolume(volume); });
}

void KivDeviceMixer::setInputVolume(float volume, std::uint32_t channel) {
    withVolumes([&](KivDeviceVolumes& v) { v.setInputVolume(volume, channel); });
}

void KivDeviceMixer::setOutputVolume(float volume, std::uint32_t channel) {
    withVolumes([&](KivDeviceVolumes& v) { v.setOutputVolume(volume, channel); });
}

void KivDeviceMixer::setCrosspointVolume(float volume, std::uint32_t input, std::uint32_t output) {
    withVolumes([&](KivDeviceVolumes& v) { v.setCrosspointVolume(volume, input, output); });
}

void KivDeviceMixer::setRawInputVolume(float volume, std::uint32_t channel) {
    withVolumes([&](KivDeviceVolumes& v) { v.setRawInputVolume(volume, channel); });
}

void KivDeviceMixer::setRawCrosspointVolume(float volume, std::uint32_t input,
                                            std::uint32_t output) {
    withVolumes([&](KivDeviceVolumes& v) { v.setRawCrosspointVolume(volume, input, output); });
}

void KivDeviceMixer::setVolume(float volume, std::uint32_t row, std::uint32_t column) {
    withVolumes([&](KivDeviceVolumes& v) { v.setVolume(volume, row, column); });
}

void KivDeviceMixer::setSilentCrosspoints() {
    withVolumes([&](KivDeviceVolumes& v) { v.setSilentCrosspoints(); });
}

void KivDeviceMixer::setDefaultVolumes() {
    withVolumes([&](KivDeviceVolumes& v) { v.setDefaultVolumes(); });
}

void KivDeviceMixer::setSilentVolumes() {
    withVolumes([&](KivDeviceVolumes& v) { v.setSilentVolumes(); });
}

float KivDeviceMixer::outPostAveragePowerAtChannel(std::uint32_t channel) const {
    float level = kMeterFloorDb;
    withVolumes([&](KivDeviceVolumes& v) { level = v.outPostAveragePower(channel); });
    return level;
}

float KivDeviceMixer::outPostPeakHoldLevelAtChannel(std::uint32_t channel) const {
    float level = kMeterFloorDb;
    withVolumes([&](KivDeviceVolumes& v) { level = v.outPostPeakHoldLevel(channel); });
    return level;
}

std::optional<std::string> KivDeviceMixer::gainsText() const {
    std::shared_lock lock(_mutex);
    if (!_mixer) {
        return std::nullopt;
    }
    return volumesText(_mixer->levels());
}
