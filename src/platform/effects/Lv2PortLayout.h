#pragma once

#include "platform/effects/EffectProcessor.h"
#include "platform/effects/Lv2World.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// One port of a plugin, as its description declares it.
struct Lv2Port {
    enum class Kind { Audio, Control, CV, Atom, Other };

    std::uint32_t index = 0;
    std::string symbol;
    std::string name;
    Kind kind = Kind::Other;
    bool input = true;
    float minValue = 0.0f;
    float maxValue = 1.0f;
    float defaultValue = 0.0f;
    bool toggled = false;
    bool integer = false;
    bool logarithmic = false;
    bool enumeration = false;
    bool notOnGui = false;
    std::vector<EffectScalePoint> scalePoints; // in value order
    bool midiInput = false;
};

// Every port of a plugin in index order, with the ports the host treats
// specially picked out. Main thread (it asks lilv).
struct Lv2PortLayout {
    std::vector<Lv2Port> ports;
    std::vector<std::uint32_t> audioInputs; // port indices in index order
    std::vector<std::uint32_t> audioOutputs;
    std::optional<std::uint32_t> enabledPort; // control input designated lv2:enabled
    std::optional<std::uint32_t> latencyPort; // control output reporting latency
    bool hasMidiInput = false;
    // The plugin may not write an output into the buffer of an input.
    bool inPlaceBroken = false;

    static Lv2PortLayout read(const Lv2World& world, const LilvPlugin* plugin);
};
