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

#include <utility>

using KivEffectDictionary::flagValue;
using KivEffectDictionary::kClassName;
using KivEffectDictionary::textValue;

namespace {

const bool registered = [] {
    KivClassRegistry::shared().registerClass<KivEffect>("KivEffect");
    return true;
}();

} // namespace

KivEffect::~KivEffect() {
    closeEditor();
    if (stream()) {
        stream()->removeEffect(this);
    }
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
    const nlohmann::json& state = _state.save();
    std::shared_ptr<KivEffect> copy(new KivEffect());
    copy->_identity = _identity;
    copy->setProperties(state);
    return copy;
}

void KivEffect::encodeWithCoder(KivKeyedEncoder& coder) const {
    coder.encodeValue(properties(), "state");
}

bool KivEffect::setComponentDescription(const KivAudioComponentDescription& description,
                                        KivError* error) {
    return _identity.setComponentDescription(description, error);
}

KivAudioComponentDescription KivEffect::componentDescription() const {
    if (KivEffectUnit* u = unit()) {
        return u->componentDescription();
    }
    return _identity.componentDescription();
}

void KivEffect::setDisplayName(std::string displayName) {
    _identity.setDisplayName(std::move(displayName));
    _state.setDisplayName(_identity.displayName());
}

bool KivEffect::addToStream(KivStream& stream, KivError* error) {
    std::int32_t node = 0;
    const std::int32_t status = stream.addComponentDescription(componentDescription(), node);
    if (status != kEffectNoErr) {
        return _identity.fail(status, kAUGraphErrorDomain, "addToStream", __LINE__, error);
    }
    setStream(&stream, node);
    return true;
}

bool KivEffect::removeFromStream(KivError* error) {
    return stream() ? stream()->removeEffect(this, error) : true;
}

void KivEffect::setStream(KivStream* stream, std::int32_t node) {
    if (KivStream* old = this->stream()) {
        if (_state.liveUnit()) {
            // The unit goes with the node; what it holds must not go with it.
            saveState();
        }
        old->forgetEffect(this);
    }
    _placement.place(stream, node);
    if (stream) {
        stream->rememberEffect(this);
    }
}

std::uint32_t KivEffect::inputChannels() const {
    const auto format = inputStreamFormat();
    return format ? format->channels() : 0;
}

std::uint32_t KivEffect::outputChannels() const {
    const auto format = outputStreamFormat();
    return format ? format->channels() : 0;
}

bool KivEffect::setStreamFormat(const KivAudioStreamDescription& format, KivError* error) {
    return setInputStreamFormat(format, error) && setOutputStreamFormat(format, error);
}

bool KivEffect::setParameters(KivError* error) {
    if (!hasPendingState()) {
        return true;
    }
    const std::optional<nlohmann::json> state = _state.apply(error);
    if (!state) {
        return false;
    }
    _editor.setLastFrame(textValue(*state, "lastEditorFrame", _editor.lastFrame()));
    if (flagValue(*state, "editorIsOpen", false)) {
        openEditor();
    }
    _editor.placeAtLastFrame();
    return true;
}

double KivEffect::latency() const {
    KivEffectUnit* u = _state.liveUnit();
    return u ? u->processor().latency() : 0.0;
}

double KivEffect::tailTime() const {
    KivEffectUnit* u = _state.liveUnit();
    return u && enabled() ? u->processor().tailTime() : 0.0;
}

void KivEffect::setRefusedChannels(std::uint32_t channels) {
    if (channels != _refusedChannels) {
        _refusedChannels = channels;
        _fitChanged.emit();
    }
}

void KivEffect::openEditor() {
    if (_editor.show()) {
        return;
    }
    KivEffectUnit* u = unit();
    if (!u || (!u->isInitialized() && _refusedChannels == 0)) {
        logFormat("Warning: could not open editor for %s; effect could not be initialized.",
                  name().c_str());
        return;
    }
    if (const KivEffectEditorFactory& factory = effectEditorFactory()) {
        _editor.open(factory(*this));
    }
}

std::unique_ptr<EffectPluginUi> KivEffect::openPluginUi(std::uintptr_t parent,
                                                        EffectPluginUiCallbacks callbacks,
                                                        std::string& failure) const {
    failure.clear();
    KivEffectUnit* u = unit();
    return u ? u->processor().openUi(parent, std::move(callbacks), failure) : nullptr;
}
