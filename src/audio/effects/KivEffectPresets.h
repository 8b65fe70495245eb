#pragma once

#include "audio/core/KivError.h"
#include "platform/effects/EffectProcessor.h"

#include <cstdint>
#include <string>
#include <vector>

class KivEffectIdentity;
class KivEffectParameters;
class KivEffectPlacement;
class KivEffectState;

// An effect's presets: the plugin's factory presets, user presets read from
// files, and the name of the one the settings are. Main thread; see
// KivEffect for each.
class KivEffectPresets {
public:
    KivEffectPresets(const KivEffectIdentity& identity, KivEffectPlacement& placement,
                     KivEffectState& state, KivEffectParameters& parameters);
    KivEffectPresets(const KivEffectPresets&) = delete;
    KivEffectPresets& operator=(const KivEffectPresets&) = delete;

    std::vector<EffectPreset> factoryPresets() const;
    bool setFactoryPreset(std::int32_t number, KivError* error);
    bool setUserPreset(const std::string& path, KivError* error);
    std::string currentPresetName() const;
    void setCurrentPresetName(const std::string& name);

private:
    const KivEffectIdentity& _identity;
    KivEffectPlacement& _placement;
    KivEffectState& _state;
    KivEffectParameters& _parameters;
};
