#pragma once

#include "platform/effects/EffectProcessor.h"

#include <nlohmann/json.hpp>
#include <optional>

// An effect's settings dictionary, the form presets and archives keep:
//   "parameters"  { port symbol: number }
//   "pluginState" the plugin's own state as text (absent when it keeps none)
//   "presetName"  the preset last chosen (absent when none)
namespace KivEffectSettings {

nlohmann::json fromState(const EffectState& state);
// nullopt for anything but such a dictionary: not a dictionary, a value of
// the wrong type, or a non-finite parameter value.
std::optional<EffectState> toState(const nlohmann::json& settings);

} // namespace KivEffectSettings
