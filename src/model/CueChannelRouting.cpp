#include "model/CueChannelRouting.h"

#include "audio/render/KivAudioBuses.h"
#include "audio/source/KivAudioSource.h"

#include <algorithm>
#include <cstdint>

void CueChannelRouting::setDeviceChannel(int channel) {
    _deviceChannel = std::max(channel, 1);
    const std::uint32_t files = _source.fileChannels();
    if (files == 0) {
        return;
    }
    const auto first = static_cast<std::uint32_t>(_deviceChannel - 1);
    for (std::uint32_t input = 0; input < files; ++input) {
        for (std::uint32_t feed = 0; feed < kKivAudioChannelsPerBus; ++feed) {
            _source.setCrosspointVolume(0.0f, input, feed);
        }
    }
    for (std::uint32_t input = 0; input < files && first + input < kKivAudioChannelsPerBus;
         ++input) {
        _source.setCrosspointVolume(1.0f, input, first + input);
    }
    if (files == 1 && first + 1 < kKivAudioChannelsPerBus) {
        _source.setCrosspointVolume(1.0f, 0, first + 1);
    }
}

void CueChannelRouting::routeFile() {
    _source.setCrosspointVolume(_source.fileChannels() == 1 ? 1.0f : 0.0f, 0, 1);
    if (_deviceChannel > 1) {
        setDeviceChannel(_deviceChannel);
    }
}

void CueChannelRouting::routeDefaults() {
    routeMonoToBothOutputs();
    if (_deviceChannel > 1) {
        setDeviceChannel(_deviceChannel);
    }
}

void CueChannelRouting::routeMonoToBothOutputs() {
    if (_source.fileChannels() == 1) {
        _source.setCrosspointVolume(1.0f, 0, 1);
    }
}
