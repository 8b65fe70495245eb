#pragma once

#include "audio/device/KivActionInfo.h"
#include "audio/device/KivAudioPlayable.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <string>
#include <vector>

// A renderer a device can attach, whose every output sample is known:
// - impulse: `level` on frame 0 of the first cycle after _play ran, on the
//   feed channels in `channels`;
// - constant: `level` on every frame of those channels while playing;
// - sine: a full-scale sine of `frequency` on those channels while playing.
// Its actions only set flags, as a source's do. It allocates nothing while
// rendering.
class TestPlayable final : public KivAudioPlayable {
public:
    enum class Signal { Impulse, Constant, Sine };

    TestPlayable(KivAudioDevice* device, std::string name, Signal signal = Signal::Impulse,
                 float level = 1.0f, std::vector<std::uint32_t> channels = {0})
        : _device(device)
        , _name(std::move(name))
        , _signal(signal)
        , _level(level)
        , _channels(std::move(channels)) {}

    void _play() {
        _playing.store(true);
        _impulsePending.store(true);
        _plays.fetch_add(1);
    }
    void _stop() {
        _playing.store(false);
        _stops.fetch_add(1);
    }
    static constexpr auto kPlay = kivAction<TestPlayable, &TestPlayable::_play>("_play");
    static constexpr auto kStop = kivAction<TestPlayable, &TestPlayable::_stop>("_stop");

    KivAudioDevice* device() const override { return _device; }
    std::string description() const override { return _name; }

    std::int32_t render(KivRenderFlags&, const KivRenderTimeStamp&, std::uint32_t,
                        const AudioChannels& data) override {
        _renders.fetch_add(1);
        const bool impulse = _impulsePending.exchange(false);
        const bool playing = _playing.load();
        for (std::uint32_t k = 0; k < data.channelCount; ++k) {
            float* channel = data.channels[k];
            if (channel == nullptr) {
                continue;
            }
            std::fill(channel, channel + data.frameCount, 0.0f);
            if (std::find(_channels.begin(), _channels.end(), k) == _channels.end()) {
                continue;
            }
            if (_signal == Signal::Impulse && impulse && data.frameCount > 0) {
                channel[0] = _level;
            } else if (_signal == Signal::Constant && playing) {
                std::fill(channel, channel + data.frameCount, _level);
            } else if (_signal == Signal::Sine && playing) {
                for (std::uint32_t f = 0; f < data.frameCount; ++f) {
                    channel[f] = static_cast<float>(std::sin(_phase + f * _step));
                }
            }
        }
        if (_signal == Signal::Sine && playing) {
            _phase = std::fmod(_phase + data.frameCount * _step, 2.0 * M_PI);
        }
        return _status.load();
    }

    // A 1 kHz sine at 48 kHz unless told otherwise.
    void setSineStep(double frequency, double rate) { _step = 2.0 * M_PI * frequency / rate; }
    void setStatus(std::int32_t status) { _status.store(status); }
    int plays() const { return _plays.load(); }
    int stops() const { return _stops.load(); }
    int renders() const { return _renders.load(); }

private:
    KivAudioDevice* _device;
    const std::string _name;
    const Signal _signal;
    const float _level;
    const std::vector<std::uint32_t> _channels;
    std::atomic<bool> _playing{false};
    std::atomic<bool> _impulsePending{false};
    std::atomic<int> _plays{0};
    std::atomic<int> _stops{0};
    std::atomic<int> _renders{0};
    std::atomic<std::int32_t> _status{0};
    double _phase = 0.0;
    double _step = 2.0 * M_PI * 1000.0 / 48000.0;
};
