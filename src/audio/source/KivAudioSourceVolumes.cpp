#include "audio/effects/KivAudioSend.h"
#include "audio/source/KivAudioSource.h"
#include "foundation/KivLog.h"

void KivAudioSource::setDefaultVolumes() {
    if (!_graph.gains().setDefaultVolumes()) {
        logLine("Warning: KivAudioSource could not set default volumes because there was no "
                "valid stream.");
    }
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
