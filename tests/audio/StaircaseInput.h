#pragma once

#include "audio/render/MatrixMixerInput.h"

#include <cstdint>
#include <vector>

// A mixer input whose every sample can be checked: input channel n, at the
// bus's running frame f, carries n * 1000 + f. Records what each pull asked
// for; allocates nothing while pulled.
class StaircaseInput : public MatrixMixerInput {
public:
    StaircaseInput(std::vector<std::uint32_t> busChannels)
        : _busChannels(std::move(busChannels))
        , _position(_busChannels.size(), 0)
        , _pulls(_busChannels.size(), 0)
        , _status(_busChannels.size(), 0) {
        std::uint32_t first = 0;
        for (std::uint32_t channels : _busChannels) {
            _first.push_back(first);
            first += channels;
        }
        _wanted.assign(first, false);
    }

    static float sample(std::uint32_t channel, std::uint64_t frame) {
        return static_cast<float>(channel * 1000.0 + frame);
    }

    std::int32_t renderBus(std::uint32_t bus, const AudioChannels& channels) override {
        ++_pulls[bus];
        for (std::uint32_t k = 0; k < channels.channelCount; ++k) {
            const std::uint32_t n = _first[bus] + k;
            _wanted[n] = channels.channels[k] != nullptr;
            if (channels.channels[k] == nullptr) {
                continue;
            }
            for (std::uint32_t i = 0; i < channels.frameCount; ++i) {
                channels.channels[k][i] = sample(n, _position[bus] + i);
            }
        }
        _position[bus] += channels.frameCount;
        return _status[bus];
    }

    // Whether the last pull of its bus asked for input channel n.
    bool wanted(std::uint32_t n) const { return _wanted[n]; }
    std::uint32_t pulls(std::uint32_t bus) const { return _pulls[bus]; }
    void failBus(std::uint32_t bus, std::int32_t status) { _status[bus] = status; }

private:
    std::vector<std::uint32_t> _busChannels;
    std::vector<std::uint32_t> _first;
    std::vector<std::uint64_t> _position;
    std::vector<std::uint32_t> _pulls;
    std::vector<std::int32_t> _status;
    std::vector<bool> _wanted;
};
