#pragma once

#include "audio/core/AudioChannels.h"

#include <cstdint>

// What a MatrixMixer pulls its input buses from: the device's render map,
// a source's effect chain, a send's attached sources.
class MatrixMixerInput {
public:
    // Render thread. Fills bus `bus` with channels.frameCount frames, one
    // pointer per channel of the bus. A null pointer marks a channel that the
    // mixer will not read (it routes nowhere): leave it, but still advance,
    // since the bus is pulled for every cycle while it is enabled. Returns 0,
    // or a status after which the mixer treats the bus as silent this cycle.
    virtual std::int32_t renderBus(std::uint32_t bus, const AudioChannels& channels) = 0;

protected:
    ~MatrixMixerInput() = default;
};
