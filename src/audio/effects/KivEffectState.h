#pragma once

#include "audio/core/KivError.h"

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

class KivEffectEditorHost;
class KivEffectIdentity;
class KivEffectPlacement;
class KivEffectUnit;

// An effect's saved state (the dictionary KivEffect describes): the one
// setProperties() holds until apply() gives it to a live unit, else the one
// made now from the live unit. Main thread.
class KivEffectState {
public:
    KivEffectState(KivEffectIdentity& identity, KivEffectPlacement& placement,
                   const KivEffectEditorHost& editor);
    KivEffectState(const KivEffectState&) = delete;
    KivEffectState& operator=(const KivEffectState&) = delete;

    // See KivEffect.
    nlohmann::json properties() const;
    // Keeps properties() as the held state, and answers it.
    const nlohmann::json& save();
    bool restore();
    bool setProperties(const nlohmann::json& properties);
    bool isPending() const { return _state.has_value() && _pending; }
    // The unit, when there is one and no held state waits for it.
    KivEffectUnit* liveUnit() const;

    // Applies the pending state's settings and bypass to the unit and drops
    // it, answering it for the rest (the editor) to be restored; see
    // KivEffect::setParameters for when it stays held (nullopt).
    std::optional<nlohmann::json> apply(KivError* error);

    bool enabled() const;
    void setEnabled(bool enabled);
    nlohmann::json settings() const;
    bool setSettings(const nlohmann::json& settings, KivError* error);
    // A held state names the effect as it is now called.
    void setDisplayName(const std::string& displayName);

private:
    bool applySettings(KivEffectUnit& unit, const nlohmann::json& settings, KivError* error);

    KivEffectIdentity& _identity;
    KivEffectPlacement& _placement;
    const KivEffectEditorHost& _editor;
    std::optional<nlohmann::json> _state;
    bool _pending = false;
};
