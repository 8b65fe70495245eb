#include "audio/effects/KivEffect.h"
#include "audio/effects/KivEffectDictionary.h"
#include "audio/effects/KivEffectSettings.h"
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

std::vector<EffectPreset> KivEffect::factoryPresets() const {
    if (KivEffectUnit* u = unit()) {
        return u->processor().factoryPresets();
    }
    return {};
}

bool KivEffect::setFactoryPreset(std::int32_t number, const std::string& name, KivError* error) {
    assertNotRenderThread();
    KivEffectUnit* u = unit();
    if (!u) {
        return fail(kEffectUninitialized, kAudioUnitErrorDomain, "setFactoryPreset", __LINE__,
                    error);
    }
    const std::int32_t status =
        changeProcessor(*u, [&](EffectProcessor& processor, const EffectRenderLock& held) {
            return processor.applyFactoryPreset(held, number);
        });
    if (status != kEffectNoErr) {
        return fail(status, kAudioUnitErrorDomain, "setFactoryPreset", __LINE__, error);
    }
    updateParameters();
    return true;
}

bool KivEffect::setUserPreset(const std::string& path, KivError* error) {
    assertNotRenderThread();
    const auto refuse = [&](std::int32_t status) {
        logFormat("Error: the preset %s could not be loaded into %s", path.c_str(), _name.c_str());
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
        !settings.is_object() || !presetFitsParameters(settings, parameters())) {
        return refuse(kEffectInvalidPropertyValue);
    }
    KivError applied;
    if (!setSettings(settings, &applied)) {
        return refuse(applied.code);
    }
    setCurrentPresetName(std::filesystem::path(path).stem().string());
    updateParameters();
    return true;
}

std::string KivEffect::currentPresetName() const {
    if (KivEffectUnit* u = liveUnit()) {
        return u->processor().presentPreset().name;
    }
    const nlohmann::json held = settings();
    return held.is_object() ? textValue(held, "presetName", "") : std::string();
}

void KivEffect::setCurrentPresetName(const std::string& name) {
    if (KivEffectUnit* u = unit()) {
        u->processor().setPresentPreset(EffectPreset{-1, name});
    }
}
