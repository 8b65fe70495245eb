#include "platform/effects/EffectChannelFit.h"

#include <algorithm>

std::optional<EffectChannelFit> EffectChannelFit::of(std::uint32_t inputs, std::uint32_t outputs,
                                                     std::uint32_t channels) {
    if (inputs == 0 || outputs == 0 || channels == 0) {
        return std::nullopt;
    }
    EffectChannelFit fit;
    if (inputs == 1 && outputs == 1) {
        fit.instances = channels;
        return fit;
    }
    if (inputs == channels) {
        fit.in = Inputs::OneToOne;
    } else if (channels == 1) {
        fit.in = Inputs::Spread;
    } else if (inputs == 1) {
        fit.in = Inputs::Mix;
    } else {
        return std::nullopt;
    }
    if (outputs == channels) {
        fit.out = Outputs::OneToOne;
    } else if (outputs == 1) {
        fit.out = Outputs::Spread;
    } else if (channels == 1) {
        fit.out = Outputs::Mix;
    } else {
        return std::nullopt;
    }
    return fit;
}

std::vector<EffectChannelPair> EffectChannelFit::layouts(std::uint32_t inputs,
                                                         std::uint32_t outputs) {
    if (inputs == 1 && outputs == 1) {
        return {EffectChannelPair{-1, -1}};
    }
    // Only a mono chain or one as wide as a side of the plugin can fit.
    std::vector<std::uint32_t> candidates{std::max(inputs, outputs), std::min(inputs, outputs), 1};
    std::vector<EffectChannelPair> layouts;
    for (const std::uint32_t channels : candidates) {
        const auto count = static_cast<std::int16_t>(channels);
        const EffectChannelPair pair{count, count};
        if (of(inputs, outputs, channels) &&
            std::find(layouts.begin(), layouts.end(), pair) == layouts.end()) {
            layouts.push_back(pair);
        }
    }
    return layouts;
}
