#include "audio/effects/KivEffectState.h"

#include "audio/effects/KivEffect.h"
#include "audio/effects/KivEffectDictionary.h"
#include "audio/effects/KivEffectEditorHost.h"
#include "audio/effects/KivEffectIdentity.h"
#include "audio/effects/KivEffectPlacement.h"
#include "audio/effects/KivEffectSettings.h"
#include "audio/effects/KivEffectUnit.h"
#include "foundation/KivStatusError.h"
#include "foundation/NotificationCenter.h"
#include "foundation/ThreadRole.h"
#include "platform/effects/EffectStatus.h"

using KivEffectDictionary::flagValue;
using KivEffectDictionary::kClassName;

KivEffectState::KivEffectState(KivEffectIdentity& identity, KivEffectPlacement& placement,
                               const KivEffectEditorHost& editor)
    : _identity(identity)
    , _placement(placement)
    , _editor(editor) {}

KivEffectUnit* KivEffectState::liveUnit() const {
    return isPending() ? nullptr : _placement.unit();
}

nlohmann::json KivEffectState::properties() const {
    if (_state && (_pending || !liveUnit())) {
        return *_state;
    }
    nlohmann::json properties = _state ? *_state : nlohmann::json::object();
    properties["class"] = kClassName;
    properties["component"] = nlohmann::json::binary(_identity.componentDescription().state());
    properties["manufacturer"] = _identity.manufacturer();
    properties["name"] = _identity.name();
    properties["displayName"] = _identity.displayName();
    properties["enabled"] = enabled();
    properties["editorIsOpen"] = _editor.isOpen();
    // An open editor's place is the one it has now.
    const std::string frame = _editor.frame();
    if (!frame.empty()) {
        properties["lastEditorFrame"] = frame;
    }
    if (liveUnit()) {
        properties["settings"] = settings();
    }
    return properties;
}

const nlohmann::json& KivEffectState::save() {
    if (!_state || (!_pending && liveUnit())) {
        _state = properties();
        _pending = false;
    }
    return *_state;
}

bool KivEffectState::restore() {
    return _state ? setProperties(*_state) : false;
}

bool KivEffectState::setProperties(const nlohmann::json& properties) {
    if (!properties.is_object()) {
        return false;
    }
    _state = properties;
    _pending = true;
    return _identity.takeProperties(properties);
}

std::optional<nlohmann::json> KivEffectState::apply(KivError* error) {
    KivEffectUnit* u = _placement.unit();
    if (!u) {
        // Nothing to apply it to: keep it for the next unit.
        failWith(error, kAudioUnitErrorDomain, kEffectUninitialized);
        return std::nullopt;
    }
    nlohmann::json state = *_state;
    const bool enable = flagValue(state, "enabled", true);
    if (auto found = state.find("settings"); found != state.end()) {
        if (!applySettings(*u, *found, error)) {
            // Settings the unit refuses (a document's, perhaps hostile) stay
            // held, to be saved back unchanged; the effect is left out of the
            // sound rather than run with settings nobody chose.
            u->processor().setBypassed(true);
            return std::nullopt;
        }
    }
    _pending = false;
    _state.reset();
    setEnabled(enable);
    return state;
}

bool KivEffectState::enabled() const {
    if (KivEffectUnit* u = liveUnit()) {
        return !u->processor().bypassed();
    }
    return _state ? flagValue(*_state, "enabled", true) : true;
}

void KivEffectState::setEnabled(bool flag) {
    if (flag == enabled()) {
        return;
    }
    if (KivEffectUnit* u = _placement.unit()) {
        u->processor().setBypassed(!flag);
    }
    if (_state) {
        (*_state)["enabled"] = flag;
    } else if (!_placement.unit()) {
        // Never placed: hold the choice until a unit exists.
        _state = properties();
        (*_state)["enabled"] = flag;
        _pending = true;
    }
    NotificationCenter::defaultCenter().post(kKivEffectBypassChangedNotification);
}

nlohmann::json KivEffectState::settings() const {
    if (KivEffectUnit* u = liveUnit()) {
        return KivEffectSettings::fromState(u->processor().state());
    }
    if (_state) {
        if (auto found = _state->find("settings"); found != _state->end()) {
            return *found;
        }
    }
    return nullptr;
}

bool KivEffectState::applySettings(KivEffectUnit& unit, const nlohmann::json& settings,
                                   KivError* error) {
    const std::optional<EffectState> state = KivEffectSettings::toState(settings);
    if (!state) {
        return _identity.fail(kEffectInvalidPropertyValue, kAudioUnitErrorDomain, "setSettings",
                              __LINE__, error);
    }
    const std::int32_t status = _placement.changeProcessor(
        unit, [&](EffectProcessor& processor, const EffectRenderLock& held) {
            return processor.setState(held, *state);
        });
    if (status != kEffectNoErr) {
        // The processor has logged its refusal: one line is enough.
        return failWith(error, kAudioUnitErrorDomain, status);
    }
    return true;
}

bool KivEffectState::setSettings(const nlohmann::json& settings, KivError* error) {
    assertNotRenderThread();
    KivEffectUnit* u = _placement.unit();
    if (!u) {
        return _identity.fail(kEffectUninitialized, kAudioUnitErrorDomain, "setSettings", __LINE__,
                              error);
    }
    return applySettings(*u, settings, error);
}

void KivEffectState::setDisplayName(const std::string& displayName) {
    if (_state) {
        (*_state)["displayName"] = displayName;
    }
}
