#include "audio/effects/KivEffectPresets.h"

#include "audio/effects/KivEffectDictionary.h"
#include "audio/effects/KivEffectIdentity.h"
#include "audio/effects/KivEffectParameters.h"
#include "audio/effects/KivEffectPlacement.h"
#include "audio/effects/KivEffectSettings.h"
#include "audio/effects/KivEffectState.h"
#include "audio/effects/KivEffectUnit.h"
#include "foundation/KivArchiveValue.h"
#include "foundation/KivLog.h"
#include "foundation/KivStatusError.h"
#include "foundation/ThreadRole.h"
#include "platform/effects/EffectStatus.h"
#include "platform/files/FileOperations.h"

#include <algorithm>
#include <filesystem>

using KivEffectDictionary::textValue;

namespace {

// A preset holds one settings dictionary; anything larger is not one.
constexpr std::size_t kMaximumPresetSize = 16 * 1024 * 1024;

// A preset is saved with every parameter of its plugin, so one that names a
// parameter this plugin lacks, or holds nothing, was made for another plugin.
bool presetFitsParameters(const nlohmann::json& settings,
                          const std::vector<EffectParameter>& parameters) {
    const std::optional<EffectState> state = KivEffectSettings::toState(settings);
    if (!state || (state->settings.empty() && state->pluginState.empty())) {
        return false;
    }
    for (const auto& setting : state->settings) {
        if (std::none_of(parameters.begin(), parameters.end(),
                         [&](const EffectParameter& p) { return p.symbol == setting.first; })) {
            return false;
        }
    }
    return true;
}

} // namespace

KivEffectPresets::KivEffectPresets(const KivEffectIdentity& identity, KivEffectPlacement& placement,
                                   KivEffectState& state, KivEffectParameters& parameters)
    : _identity(identity)
    , _placement(placement)
    , _state(state)
    , _parameters(parameters) {}

std::vector<EffectPreset> KivEffectPresets::factoryPresets() const {
    if (KivEffectUnit* u = _placement.unit()) {
        return u->processor().factoryPresets();
    }
    return {};
}

bool KivEffectPresets::setFactoryPreset(std::int32_t number, KivError* error) {
    assertNotRenderThread();
    KivEffectUnit* u = _placement.unit();
    if (!u) {
        return _identity.fail(kEffectUninitialized, kAudioUnitErrorDomain, "setFactoryPreset",
                              __LINE__, error);
    }
    const std::int32_t status = _placement.changeProcessor(
        *u, [&](EffectProcessor& processor, const EffectRenderLock& held) {
            return processor.applyFactoryPreset(held, number);
        });
    if (status != kEffectNoErr) {
        return _identity.fail(status, kAudioUnitErrorDomain, "setFactoryPreset", __LINE__, error);
    }
    _parameters.updateParameters();
    return true;
}

bool KivEffectPresets::setUserPreset(const std::string& path, KivError* error) {
    assertNotRenderThread();
    const auto refuse = [&](std::int32_t status) {
        logFormat("Error: the preset %s could not be loaded into %s", path.c_str(),
                  _identity.name().c_str());
        return failWith(error, kKivEffectErrorDomain, status, "The preset could not be loaded",
                        "Either the preset was not meant for this Audio Unit or the preset file "
                        "is corrupted.");
    };
    std::string text;
    if (FileOperations::readRegularFile(path, kMaximumPresetSize, text) != 0) {
        return refuse(kEffectInvalidPropertyValue);
    }
    const nlohmann::json stored = nlohmann::json::parse(text, nullptr, false);
    nlohmann::json settings;
    std::string problem;
    if (stored.is_discarded() || !KivArchiveValue::fromStored(stored, settings, problem) ||
        !settings.is_object() || !presetFitsParameters(settings, _parameters.parameters())) {
        return refuse(kEffectInvalidPropertyValue);
    }
    KivError applied;
    if (!_state.setSettings(settings, &applied)) {
        return refuse(applied.code);
    }
    setCurrentPresetName(std::filesystem::path(path).stem().string());
    _parameters.updateParameters();
    return true;
}

std::string KivEffectPresets::currentPresetName() const {
    if (KivEffectUnit* u = _state.liveUnit()) {
        return u->processor().presentPreset().name;
    }
    const nlohmann::json held = _state.settings();
    return held.is_object() ? textValue(held, "presetName", "") : std::string();
}

void KivEffectPresets::setCurrentPresetName(const std::string& name) {
    if (KivEffectUnit* u = _placement.unit()) {
        u->processor().setPresentPreset(EffectPreset{-1, name});
    }
}
