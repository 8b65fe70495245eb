#include "audio/KivEffect.h"

#include "audio/KivAudioBufferList.h"
#include "audio/KivEffectSettings.h"
#include "audio/KivEffectUnit.h"
#include "audio/KivStream.h"
#include "foundation/KivArchiveValue.h"
#include "foundation/KivClassRegistry.h"
#include "foundation/KivClock.h"
#include "foundation/KivKeyedDecoder.h"
#include "foundation/KivKeyedEncoder.h"
#include "foundation/KivLog.h"
#include "foundation/KivStatusError.h"
#include "foundation/NotificationCenter.h"
#include "foundation/ThreadRole.h"
#include "platform/effects/EffectStatus.h"
#include "platform/files/FileOperations.h"

#include <algorithm>
#include <filesystem>

namespace {

const bool registered = [] {
    KivClassRegistry::shared().registerClass<KivEffect>("KivEffect");
    return true;
}();

constexpr const char* kClassName = "KivEffect";
// A preset holds one settings dictionary; anything larger is not one.
constexpr std::size_t kMaximumPresetSize = 16 * 1024 * 1024;

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

std::string textValue(const nlohmann::json& dictionary, const char* key, std::string otherwise) {
    auto found = dictionary.find(key);
    return found != dictionary.end() && found->is_string() ? found->get<std::string>()
                                                           : std::move(otherwise);
}

std::vector<std::uint8_t> bytesOf(const nlohmann::json& value) {
    if (value.is_binary()) {
        return std::vector<std::uint8_t>(value.get_binary().begin(), value.get_binary().end());
    }
    return {};
}

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

bool KivEffect::addToStream(KivStream& stream, KivError* error) {
    std::int32_t node = 0;
    const std::int32_t status = stream.addComponentDescription(componentDescription(), node);
    if (status != kEffectNoErr) {
        return fail(status, kAUGraphErrorDomain, "addToStream", __LINE__, error);
    }
    setStream(&stream, node);
    return true;
}

bool KivEffect::removeFromStream(KivError* error) {
    return _stream ? _stream->removeEffect(this, error) : true;
}

void KivEffect::setStream(KivStream* stream, std::int32_t node) {
    if (_stream && liveUnit()) {
        // The unit goes with the node; what it holds must not go with it.
        saveState();
    }
    if (_stream) {
        _stream->forgetEffect(this);
    }
    _stream = stream;
    _node = stream ? node : 0;
    _renderUnit.store(stream ? stream->unitForNode(node) : nullptr);
    if (_stream) {
        _stream->rememberEffect(this);
    }
}

bool KivEffect::connectToInputOf(KivEffect& other, std::uint32_t bus, KivError* error) {
    if (!_stream || other._stream != _stream) {
        return fail(KivStream::kNodeNotFound, kAUGraphErrorDomain, "connectToInputOf", __LINE__,
                    error);
    }
    const std::int32_t status = _stream->connectOutputOfNode(_node, 0, other._node, bus);
    return status == kEffectNoErr ||
           fail(status, kAUGraphErrorDomain, "connectToInputOf", __LINE__, error);
}

bool KivEffect::connectToOutputOf(KivEffect& other, KivError* error) {
    return other.connectToInputOf(*this, 0, error);
}

bool KivEffect::setRenderCallback(const KivRenderInfo& info, std::uint32_t bus, KivError* error) {
    const std::int32_t status =
        _stream ? _stream->setInputCallback(_node, bus, info) : KivStream::kNodeNotFound;
    return status == kEffectNoErr ||
           fail(status, kAUGraphErrorDomain, "setRenderCallback", __LINE__, error);
}

void KivEffect::clearRenderCallback(std::uint32_t bus) {
    if (_stream) {
        _stream->disconnectInputOfNode(_node, bus);
    }
}

std::int32_t KivEffect::render(KivRenderFlags& flags, const KivRenderTimeStamp& timeStamp,
                               std::uint32_t busNumber, const AudioChannels& data) {
    if (KivEffectUnit* unit = _renderUnit.load(std::memory_order_acquire)) {
        const std::int32_t status = unit->render(flags, timeStamp, busNumber, data);
        if (status != kEffectNoErr) {
            _renderErrors.logStatusError(CurrentTimeInSeconds(), status, "KivEffect::render",
                                         __LINE__);
        }
        return status;
    }
    KivSilenceAudioBufferList(data);
    return kEffectUninitialized;
}

KivEffectUnit* KivEffect::unit() const {
    return _stream ? _stream->unitForNode(_node) : nullptr;
}

KivEffectUnit* KivEffect::liveUnit() const {
    return hasPendingState() ? nullptr : unit();
}

std::optional<KivAudioStreamDescription> KivEffect::inputStreamFormat() const {
    if (KivEffectUnit* u = unit()) {
        return u->inputFormat();
    }
    return std::nullopt;
}

std::optional<KivAudioStreamDescription> KivEffect::outputStreamFormat() const {
    if (KivEffectUnit* u = unit()) {
        return u->outputFormat();
    }
    return std::nullopt;
}

std::uint32_t KivEffect::inputChannels() const {
    const auto format = inputStreamFormat();
    return format ? format->channels() : 0;
}

std::uint32_t KivEffect::outputChannels() const {
    const auto format = outputStreamFormat();
    return format ? format->channels() : 0;
}

bool KivEffect::setFormat(bool input, const KivAudioStreamDescription& format, KivError* error) {
    assertNotRenderThread();
    const char* operation = input ? "setInputStreamFormat" : "setOutputStreamFormat";
    KivEffectUnit* u = unit();
    if (!u) {
        return fail(kEffectUninitialized, kAudioUnitErrorDomain, operation, __LINE__, error);
    }
    auto write = [&] { return input ? u->setInputFormat(format) : u->setOutputFormat(format); };
    std::int32_t status = write();
    if (status == kEffectUnitInitialized) {
        const bool wasRunning = _stream->isRunning();
        _stream->stop();
        status = _stream->withRenderLock([&](const EffectRenderLock& held) {
            u->uninitialize();
            const std::int32_t written = write();
            const std::int32_t prepared = u->initialize(held, _stream->maximumFramesPerSlice());
            if (written != kEffectNoErr) {
                return written;
            }
            // Between the input and the output write the two sides differ;
            // the unit is prepared once the second write makes them agree.
            return u->formatsAgree() ? prepared : kEffectNoErr;
        });
        if (wasRunning) {
            _stream->start();
        }
    } else if (status == kEffectNoErr && _stream->isInitialized() && !u->isInitialized() &&
               u->formatsAgree()) {
        // The write that makes the two sides agree again prepares the unit.
        status = _stream->withRenderLock([&](const EffectRenderLock& held) {
            return u->initialize(held, _stream->maximumFramesPerSlice());
        });
    }
    if (status != kEffectNoErr) {
        // A refused format is the chain's business to report; others are logged here.
        if (status != kEffectFormatNotSupported) {
            logStatusError(status, _name.c_str(), operation, __LINE__);
        }
        return failWith(error, kAudioUnitErrorDomain, status);
    }
    if (error) {
        error->clear();
    }
    return true;
}

bool KivEffect::setInputStreamFormat(const KivAudioStreamDescription& format, KivError* error) {
    return setFormat(true, format, error);
}

bool KivEffect::setOutputStreamFormat(const KivAudioStreamDescription& format, KivError* error) {
    return setFormat(false, format, error);
}

bool KivEffect::setStreamFormat(const KivAudioStreamDescription& format, KivError* error) {
    return setInputStreamFormat(format, error) && setOutputStreamFormat(format, error);
}

std::vector<EffectParameter> KivEffect::parameters() const {
    if (KivEffectUnit* u = unit()) {
        return u->processor().parameters();
    }
    return {};
}

std::vector<EffectParameter> KivEffect::outputParameters() const {
    if (KivEffectUnit* u = unit()) {
        return u->processor().outputs();
    }
    return {};
}

float KivEffect::valueForParameter(std::uint32_t id) const {
    KivEffectUnit* u = unit();
    for (const auto& list : {parameters(), outputParameters()}) {
        for (const EffectParameter& parameter : list) {
            if (parameter.id == id) {
                return u->processor().parameter(id);
            }
        }
    }
    logStatusError(u ? kEffectInvalidParameter : kEffectUninitialized, _name.c_str(),
                   "valueForParameter", __LINE__);
    return 0.0f;
}

bool KivEffect::setValueForParameter(std::uint32_t id, float value) {
    KivEffectUnit* u = unit();
    const std::int32_t status = u ? u->processor().setParameter(id, value) : kEffectUninitialized;
    if (status != kEffectNoErr) {
        logStatusError(status, _name.c_str(), "setValueForParameter", __LINE__);
        return false;
    }
    _parameterListeners.emit(id);
    return true;
}

void KivEffect::updateParameters() {
    _parameterListeners.emit(kKivEffectAnyParameter);
}

std::string KivEffect::titleOfParameter(std::uint32_t id, KivError* error) const {
    for (const EffectParameter& parameter : parameters()) {
        if (parameter.id == id && !parameter.name.empty()) {
            return parameter.name;
        }
    }
    failWith(error, kAudioUnitErrorDomain, kEffectInvalidParameter);
    return "Parameter #" + std::to_string(static_cast<std::uint64_t>(id) + 1);
}

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
    if (!_lastEditorFrame.empty()) {
        properties["lastEditorFrame"] = _lastEditorFrame;
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

template <class Change>
std::int32_t KivEffect::changeProcessor(KivEffectUnit& unit, Change change) {
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

double KivEffect::latency() const {
    KivEffectUnit* u = liveUnit();
    return u ? u->processor().latency() : 0.0;
}

double KivEffect::tailTime() const {
    KivEffectUnit* u = liveUnit();
    return u && enabled() ? u->processor().tailTime() : 0.0;
}

void KivEffect::openEditor() {
    if (_editor) {
        _editor->show();
        return;
    }
    KivEffectUnit* u = unit();
    if (!u || !u->isInitialized()) {
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
