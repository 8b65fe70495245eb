#pragma once

#include "platform/effects/EffectProcessor.h"

#include <cstdint>
#include <optional>
#include <vector>

// How a plugin with `inputs` audio inputs and `outputs` audio outputs runs on
// a chain of `channels` channels, as hosts adapt channel counts:
//   - a plugin of one input and one output runs once per channel;
//   - otherwise one instance runs. Its inputs take the channels one to one
//     when the counts match, the one channel on every input when the chain
//     is mono, or the mean of the channels on a single input; its outputs
//     give the channels one to one when the counts match, the one output on
//     every channel, or, on a mono chain, the mean of the outputs.
// Any other pairing (a stereo plugin on a 6-channel chain, a 2-in 6-out
// plugin on a stereo one) has no single sensible wiring: it is not fitted.
struct EffectChannelFit {
    enum class Inputs {
        OneToOne, // channel k to input k
        Spread,   // the chain's one channel to every input
        Mix,      // the mean of the channels to the one input
    };
    enum class Outputs {
        OneToOne, // output k to channel k
        Spread,   // the one output to every channel
        Mix,      // the mean of the outputs to the chain's one channel
    };

    std::uint32_t instances = 1;
    Inputs in = Inputs::OneToOne;
    Outputs out = Outputs::OneToOne;

    // Whether the plugin's ports meet the channels as they stand (no mixing
    // or spreading).
    bool isDirect() const { return in == Inputs::OneToOne && out == Outputs::OneToOne; }

    // None when the plugin cannot be fitted (or a count is 0).
    static std::optional<EffectChannelFit> of(std::uint32_t inputs, std::uint32_t outputs,
                                              std::uint32_t channels);
    // The chain layouts a plugin fits, each with as many channels in as out:
    // {-1, -1} for a plugin run once per channel, else the widest first.
    static std::vector<EffectChannelPair> layouts(std::uint32_t inputs, std::uint32_t outputs);
};
