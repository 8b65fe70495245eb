#pragma once

#include "audio/device/KivActionInfo.h"
#include "audio/render/KivAudioRendering.h"

#include <algorithm>
#include <atomic>
#include <cstdint>

// A renderer whose output shows when it started: 1.0 on the first frame it
// renders after _play ran, silence otherwise. Its actions set flags only, as
// a source's do. Allocates nothing while rendering.
class ImpulseSource : public KivAudioRendering {
public:
    void _play() {
        _playing.store(true);
        _impulsePending.store(true);
        _plays.fetch_add(1);
    }
    void _stop() {
        _playing.store(false);
        _stops.fetch_add(1);
    }

    static constexpr auto kPlay = kivAction<ImpulseSource, &ImpulseSource::_play>("_play");
    static constexpr auto kStop = kivAction<ImpulseSource, &ImpulseSource::_stop>("_stop");

    std::int32_t render(KivRenderFlags& flags, const KivRenderTimeStamp& timeStamp,
                        std::uint32_t busNumber, const AudioChannels& data) override {
        _renders.fetch_add(1);
        _lastBus = busNumber;
        _lastSampleTime = timeStamp.sampleTime;
        flags |= _flagsToSet;
        const bool impulse = _impulsePending.exchange(false);
        for (std::uint32_t k = 0; k < data.channelCount; ++k) {
            if (float* channel = data.channels[k]) {
                std::fill(channel, channel + data.frameCount, 0.0f);
                if (impulse && data.frameCount > 0) {
                    channel[0] = 1.0f;
                }
            }
        }
        return _status;
    }

    bool playing() const { return _playing.load(); }
    int plays() const { return _plays.load(); }
    int stops() const { return _stops.load(); }
    int renders() const { return _renders.load(); }
    std::uint32_t lastBus() const { return _lastBus; }
    double lastSampleTime() const { return _lastSampleTime; }
    void setStatus(std::int32_t status) { _status = status; }
    void setFlagsToSet(KivRenderFlags flags) { _flagsToSet = flags; }

private:
    std::atomic<bool> _playing{false};
    std::atomic<bool> _impulsePending{false};
    std::atomic<int> _plays{0};
    std::atomic<int> _stops{0};
    std::atomic<int> _renders{0};
    std::uint32_t _lastBus = 99;
    double _lastSampleTime = -1.0;
    std::int32_t _status = 0;
    KivRenderFlags _flagsToSet = 0;
};
