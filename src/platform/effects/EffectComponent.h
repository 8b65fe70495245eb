#pragma once

#include <cstdint>
#include <string>

// One installed effect plugin as the catalogue lists it. Identity is the type
// code together with the plugin URI.
struct EffectComponent {
    std::string uri;
    std::uint32_t type = 0; // kEffectTypeEffect or kEffectTypeMusicEffect
    std::string maker;      // empty when the plugin names none
    std::string name;
    std::uint32_t audioInputs = 0;
    std::uint32_t audioOutputs = 0;

    // The component's display name, "<maker>: <name>", or the bare name when
    // no maker is known, so that splitting at ": " recovers the two parts.
    std::string componentName() const { return maker.empty() ? name : maker + ": " + name; }
};
