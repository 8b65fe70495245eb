#include "audio/effects/KivEffect.h"
#include "audio/effects/KivEffectDictionary.h"
#include "audio/effects/KivEffectSettings.h"
#include "audio/effects/KivEffectUnit.h"
#include "audio/effects/KivStream.h"
#include "foundation/KivStatusError.h"
#include "foundation/NotificationCenter.h"
#include "foundation/ThreadRole.h"
#include "platform/effects/EffectStatus.h"

#include <cstdint>
#include <vector>

using KivEffectDictionary::kClassName;
using KivEffectDictionary::textValue;

namespace {

// Archived flags may be booleans or numbers; anything else is the default.
bool flagValue(const nlohmann::json& dictionary, const char* key, bool otherwise) {
    auto found = dictionary.find(key);
    if (found == dictionary.end()) {
        return otherwise;
    }
    if (found->is_boolean()) {
        return found->get<bool>();
    }
    return found->is_number() ? found->get<double>() != 0.0 : otherwise;
}

std::vector<std::uint8_t> bytesOf(const nlohmann::json& value) {
    if (value.is_binary()) {
        return std::vector<std::uint8_t>(value.get_binary().begin(), value.get_binary().end());
    }
    return {};
}

} // namespace

nlohmann::json KivEffect::properties() const {
    if (_state && (_statePending || !liveUnit())) {
        return *_state;
    }
    nlohmann::json properties = _state ? *_state : nlohmann::json::object();
    properties["class"] = kClassName;
    properties["component"] = nlohmann::json::binary(_componentDescription.state());
    properties["manufacturer"] = _manufacturer;
    properties["name"] = _name;
    properties["displayName"] = _displayName;
    properties["enabled"] = enabled();
    properties["editorIsOpen"] = editorIsOpen();
    // An open editor's place is the one it has now.
    const std::string frame = editorIsOpen() ? _editor->frameText() : _lastEditorFrame;
    if (!frame.empty()) {
        properties["lastEditorFrame"] = frame;
    }
    if (liveUnit()) {
        properties["settings"] = settings();
    }
    return properties;
}

void KivEffect::saveState() {
    if (_state && (_statePending || !liveUnit())) {
        return;
    }
    _state = properties();
    _statePending = false;
}

bool KivEffect::restoreState() {
    return _state ? setProperties(*_state) : false;
}

bool KivEffect::setProperties(const nlohmann::json& properties) {
    if (!properties.is_object()) {
        return false;
    }
    _state = properties;
    _statePending = true;
    if (auto found = properties.find("component");
        found != properties.end() && found->is_binary()) {
        const auto description =
            KivAudioComponentDescription::descriptionWithState(bytesOf(*found));
        if (!(description == _componentDescription) || !_available) {
            if (!setComponentDescription(description)) {
                // Not installed: still held, and the maker and name come from the dictionary.
                _manufacturer = textValue(properties, "manufacturer", "");
                _name = textValue(properties, "name", "");
                _displayName = textValue(properties, "displayName", _name);
                return false;
            }
        }
    }
    if (auto found = properties.find("manufacturer");
        found != properties.end() && found->is_string()) {
        _manufacturer = found->get<std::string>();
    }
    if (auto found = properties.find("name"); found != properties.end() && found->is_string()) {
        _name = found->get<std::string>();
    }
    if (auto found = properties.find("displayName");
        found != properties.end() && found->is_string()) {
        _displayName = found->get<std::string>();
    }
    return true;
}

bool KivEffect::setParameters(KivError* error) {
    if (!hasPendingState()) {
        return true;
    }
    KivEffectUnit* u = unit();
    if (!u) {
        // Nothing to apply it to: keep it for the next unit.
        return failWith(error, kAudioUnitErrorDomain, kEffectUninitialized);
    }
    const nlohmann::json state = *_state;
    const bool enable = flagValue(state, "enabled", true);
    if (auto found = state.find("settings"); found != state.end()) {
        if (!applySettings(*u, *found, error)) {
            // Settings the unit refuses (a document's, perhaps hostile) stay
            // held, to be saved back unchanged; the effect is left out of the
            // sound rather than run with settings nobody chose.
            u->processor().setBypassed(true);
            return false;
        }
    }
    _statePending = false;
    _state.reset();
    setEnabled(enable);
    if (auto found = state.find("lastEditorFrame"); found != state.end() && found->is_string()) {
        _lastEditorFrame = found->get<std::string>();
    }
    if (flagValue(state, "editorIsOpen", false)) {
        openEditor();
    }
    if (_editor && !_lastEditorFrame.empty()) {
        _editor->setFrameText(_lastEditorFrame);
    }
    return true;
}

bool KivEffect::enabled() const {
    if (KivEffectUnit* u = liveUnit()) {
        return !u->processor().bypassed();
    }
    return _state ? flagValue(*_state, "enabled", true) : true;
}

void KivEffect::setEnabled(bool flag) {
    if (flag == enabled()) {
        return;
    }
    if (KivEffectUnit* u = unit()) {
        u->processor().setBypassed(!flag);
    }
    if (_state) {
        (*_state)["enabled"] = flag;
    } else if (!unit()) {
        // Never placed: hold the choice until a unit exists.
        _state = properties();
        (*_state)["enabled"] = flag;
        _statePending = true;
    }
    NotificationCenter::defaultCenter().post(kKivEffectBypassChangedNotification);
}

nlohmann::json KivEffect::settings() const {
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

std::int32_t KivEffect::changeProcessor(KivEffectUnit& unit, const ProcessorChange& change) {
    if (!unit.isOnRenderPath()) {
        return _stream->withRenderLock(
            [&](const EffectRenderLock& held) { return change(unit.processor(), held); });
    }
    // The render path may be running this unit right now: the change goes
    // to a new one, which nothing renders until it takes the old one's place.
    std::int32_t status = kEffectNoErr;
    std::shared_ptr<KivEffectUnit> fresh = _stream->makeUnitLike(_node, status);
    if (!fresh) {
        return status;
    }
    status = _stream->withRenderLock(
        [&](const EffectRenderLock& held) { return change(fresh->processor(), held); });
    if (status == kEffectNoErr) {
        status = _stream->replaceUnit(_node, std::move(fresh));
    }
    return status;
}

bool KivEffect::applySettings(KivEffectUnit& unit, const nlohmann::json& settings,
                              KivError* error) {
    const std::optional<EffectState> state = KivEffectSettings::toState(settings);
    if (!state) {
        return fail(kEffectInvalidPropertyValue, kAudioUnitErrorDomain, "setSettings", __LINE__,
                    error);
    }
    const std::int32_t status =
        changeProcessor(unit, [&](EffectProcessor& processor, const EffectRenderLock& held) {
            return processor.setState(held, *state);
        });
    if (status != kEffectNoErr) {
        // The processor has logged its refusal: one line is enough.
        return failWith(error, kAudioUnitErrorDomain, status);
    }
    return true;
}

bool KivEffect::setSettings(const nlohmann::json& settings, KivError* error) {
    assertNotRenderThread();
    KivEffectUnit* u = unit();
    if (!u) {
        return fail(kEffectUninitialized, kAudioUnitErrorDomain, "setSettings", __LINE__, error);
    }
    return applySettings(*u, settings, error);
}
