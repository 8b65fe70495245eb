#include "audio/effects/KivEffectSettings.h"

#include <cmath>
#include <limits>

namespace {
constexpr const char* kParameters = "parameters";
constexpr const char* kPluginState = "pluginState";
constexpr const char* kPresetName = "presetName";
} // namespace

nlohmann::json KivEffectSettings::fromState(const EffectState& state) {
    nlohmann::json settings = nlohmann::json::object();
    nlohmann::json parameters = nlohmann::json::object();
    for (const auto& [symbol, value] : state.settings) {
        parameters[symbol] = value;
    }
    settings[kParameters] = std::move(parameters);
    if (!state.pluginState.empty()) {
        settings[kPluginState] = state.pluginState;
    }
    if (!state.presetName.empty()) {
        settings[kPresetName] = state.presetName;
    }
    return settings;
}

std::optional<EffectState> KivEffectSettings::toState(const nlohmann::json& settings) {
    if (!settings.is_object()) {
        return std::nullopt;
    }
    EffectState state;
    if (auto found = settings.find(kParameters); found != settings.end()) {
        if (!found->is_object()) {
            return std::nullopt;
        }
        for (const auto& [symbol, value] : found->items()) {
            if (!value.is_number() || !std::isfinite(value.get<double>()) ||
                std::fabs(value.get<double>()) > std::numeric_limits<float>::max()) {
                return std::nullopt;
            }
            state.settings[symbol] = value.get<float>();
        }
    }
    if (auto found = settings.find(kPluginState); found != settings.end()) {
        if (!found->is_string()) {
            return std::nullopt;
        }
        state.pluginState = found->get<std::string>();
    }
    if (auto found = settings.find(kPresetName); found != settings.end()) {
        if (!found->is_string()) {
            return std::nullopt;
        }
        state.presetName = found->get<std::string>();
    }
    return state;
}
