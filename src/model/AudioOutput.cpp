#include "model/AudioOutput.h"

#include "audio/device/KivAudioDevice.h"

#include <algorithm>

std::string AudioOutput::title() const {
    const std::string name = device ? device->name().value_or("") : std::string();
    return name + " - channels " + std::to_string(channel) + "/" + std::to_string(channel + 1);
}

std::vector<AudioOutput> AudioOutput::available(const std::vector<AudioOutput>& kept) {
    std::vector<AudioOutput> outputs;
    for (const auto& device : KivAudioDevice::allDevices()) {
        const std::string name = device->name().value_or("");
        const auto uid = device->deviceUID();
        const int channels = static_cast<int>(device->outputChannels());
        if (name.find("AirPlay") != std::string::npos || channels < 2) {
            continue;
        }
        for (int channel = 1; channel + 1 <= channels; ++channel) {
            std::shared_ptr<KivAudioDevice> entry = device;
            for (const AudioOutput& old : kept) {
                if (old.device && !old.device->died() && old.channel == channel &&
                    old.device->deviceUID() == uid) {
                    entry = old.device;
                }
            }
            outputs.push_back({std::move(entry), channel});
        }
    }
    return outputs;
}

bool AudioOutput::offers(const std::vector<AudioOutput>& outputs,
                         const std::shared_ptr<KivAudioDevice>& device) {
    const auto uid = device && !device->died() ? device->deviceUID() : std::nullopt;
    return uid && std::any_of(outputs.begin(), outputs.end(), [&](const AudioOutput& output) {
               return output.device->deviceUID() == uid;
           });
}

std::optional<std::size_t> AudioOutput::defaultEntry(const std::vector<AudioOutput>& outputs,
                                                     int channel) {
    const auto fallback = KivAudioDevice::defaultOutputDevice();
    if (!fallback || fallback->died()) {
        return std::nullopt;
    }
    const auto uid = fallback->deviceUID();
    std::optional<std::size_t> chosen;
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        if (outputs[i].device->deviceUID() == uid && (!chosen || outputs[i].channel == channel)) {
            chosen = i;
        }
    }
    return chosen;
}

bool AudioOutput::sameDevice(const std::shared_ptr<KivAudioDevice>& a,
                             const std::shared_ptr<KivAudioDevice>& b) {
    return a && b && a->deviceID() == b->deviceID();
}
