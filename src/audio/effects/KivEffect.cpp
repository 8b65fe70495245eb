#include "audio/effects/KivEffect.h"

#include "audio/effects/KivEffectDictionary.h"
#include "audio/effects/KivEffectUnit.h"
#include "audio/effects/KivStream.h"
#include "foundation/KivClassRegistry.h"
#include "foundation/KivKeyedDecoder.h"
#include "foundation/KivKeyedEncoder.h"
#include "foundation/KivLog.h"
#include "foundation/KivStatusError.h"
#include "platform/effects/EffectStatus.h"

#include <optional>
#include <utility>

using KivEffectDictionary::kClassName;
using KivEffectDictionary::textValue;

namespace {

const bool registered = [] {
    KivClassRegistry::shared().registerClass<KivEffect>("KivEffect");
    return true;
}();

// Splits "maker: name" into its two parts; nullopt unless there are exactly two.
std::optional<std::pair<std::string, std::string>> splitName(const std::string& text,
                                                             const std::string& separator) {
    const std::size_t first = text.find(separator);
    if (first == std::string::npos ||
        text.find(separator, first + separator.size()) != std::string::npos) {
        return std::nullopt;
    }
    return std::make_pair(text.substr(0, first), text.substr(first + separator.size()));
}

} // namespace

KivEffect::~KivEffect() {
    closeEditor();
    if (_stream) {
        _stream->removeEffect(this);
    }
}

bool KivEffect::fail(std::int32_t status, const char* domain, const char* operation, int line,
                     KivError* error) const {
    logStatusError(status, _name.c_str(), operation, line);
    return failWith(error, domain, status);
}

std::shared_ptr<KivEffect>
KivEffect::effectWithDescription(const KivAudioComponentDescription& description, KivError* error) {
    std::shared_ptr<KivEffect> effect(new KivEffect());
    if (!effect->setComponentDescription(description, error)) {
        return nullptr;
    }
    return effect;
}

std::shared_ptr<KivEffect> KivEffect::effectWithProperties(const nlohmann::json& properties,
                                                           KivError* error) {
    const auto component = properties.is_object() ? properties.find("component") : properties.end();
    const bool isEffect = properties.is_object() && component != properties.end() &&
                          component->is_binary() &&
                          textValue(properties, "class", kClassName) == kClassName;
    if (!isEffect) {
        logLine("Error: a state without a component is not the state of an effect");
        failWith(error, kKivEffectErrorDomain, kEffectInvalidPropertyValue);
        return nullptr;
    }
    std::shared_ptr<KivEffect> effect(new KivEffect());
    if (!effect->setProperties(properties)) {
        failWith(error, kKivEffectErrorDomain, kEffectComponentNotFound);
    }
    return effect;
}

std::shared_ptr<KivEffect> KivEffect::initWithCoder(const KivKeyedDecoder& coder) {
    const nlohmann::json state = coder.decodeValueForKey("state");
    std::shared_ptr<KivEffect> effect = effectWithProperties(state);
    if (!effect) {
        coder.failWithError("the effect's \"state\" is not the state of an effect");
    }
    return effect;
}

std::shared_ptr<KivEffect> KivEffect::copy() {
    saveState();
    std::shared_ptr<KivEffect> copy(new KivEffect());
    copy->_componentDescription = _componentDescription;
    copy->_available = _available;
    copy->_manufacturer = _manufacturer;
    copy->_name = _name;
    copy->_displayName = _displayName;
    copy->setProperties(*_state);
    return copy;
}

void KivEffect::encodeWithCoder(KivKeyedEncoder& coder) const {
    const bool keepHeld = _state && (_statePending || !liveUnit());
    coder.encodeValue(keepHeld ? *_state : properties(), "state");
}

bool KivEffect::setComponentDescription(const KivAudioComponentDescription& description,
                                        KivError* error) {
    _componentDescription = description;
    _available = false;
    if (!description.component()) {
        logStatusError(kEffectComponentNotFound, description.name().c_str(),
                       "setComponentDescription", __LINE__);
        return failWith(error, kKivEffectErrorDomain, kEffectComponentNotFound);
    }
    _available = true;
    const std::string& full = description.name();
    auto parts = splitName(full, ": ");
    if (!parts) {
        parts = splitName(full, ":");
    }
    if (parts) {
        _manufacturer = parts->first;
        _name = _displayName = parts->second;
    } else {
        _manufacturer = "Unknown";
        _name = _displayName = full;
    }
    return true;
}

KivAudioComponentDescription KivEffect::componentDescription() const {
    if (KivEffectUnit* u = unit()) {
        return u->componentDescription();
    }
    return _componentDescription;
}

void KivEffect::setDisplayName(std::string displayName) {
    _displayName = std::move(displayName);
    if (_state) {
        (*_state)["displayName"] = _displayName;
    }
}

void KivEffect::setRefusedChannels(std::uint32_t channels) {
    if (channels != _refusedChannels) {
        _refusedChannels = channels;
        _fitChanged.emit();
    }
}

void KivEffect::openEditor() {
    if (_editor) {
        _editor->show();
        return;
    }
    KivEffectUnit* u = unit();
    if (!u || (!u->isInitialized() && _refusedChannels == 0)) {
        logFormat("Warning: could not open editor for %s; effect could not be initialized.",
                  _name.c_str());
        return;
    }
    if (const KivEffectEditorFactory& factory = effectEditorFactory()) {
        _editor = factory(*this);
        if (_editor && !_lastEditorFrame.empty()) {
            _editor->setFrameText(_lastEditorFrame);
        }
    }
}

void KivEffect::closeEditor() {
    std::unique_ptr<KivEffectEditorWindow> editor = std::move(_editor);
    if (editor) {
        if (editor->isVisible()) {
            _lastEditorFrame = editor->frameText();
        }
        editor->close();
    }
}

std::unique_ptr<KivEffectEditorWindow> KivEffect::editorWillClose() {
    if (_editor && _editor->isVisible()) {
        _lastEditorFrame = _editor->frameText();
    }
    return std::move(_editor);
}

bool KivEffect::editorIsOpen() const {
    return _editor && _editor->isVisible();
}

std::unique_ptr<EffectPluginUi> KivEffect::openPluginUi(std::uintptr_t parent,
                                                        EffectPluginUiCallbacks callbacks,
                                                        std::string& failure) const {
    failure.clear();
    KivEffectUnit* u = unit();
    return u ? u->processor().openUi(parent, std::move(callbacks), failure) : nullptr;
}
