#pragma once

#include "audio/core/KivAudioStreamDescription.h"
#include "audio/core/KivError.h"
#include "audio/effects/KivAudioComponentDescription.h"
#include "audio/effects/KivEffectEditorHost.h"
#include "audio/effects/KivEffectIdentity.h"
#include "audio/effects/KivEffectParameters.h"
#include "audio/effects/KivEffectPlacement.h"
#include "audio/effects/KivEffectPresets.h"
#include "audio/effects/KivEffectState.h"
#include "audio/render/KivAudioRendering.h"
#include "foundation/KivArchivable.h"
#include "foundation/Signal.h"
#include "platform/effects/EffectProcessor.h"

#include <cstdint>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

class KivEffectUnit;
class KivKeyedDecoder;
class KivStream;

// Posted (object none) when an effect's bypass changes; editors re-read it.
inline constexpr const char* kKivEffectBypassChangedNotification = "bypassChanged";
// What an effect whose plugin cannot be fitted to its cue's channels is
// shown with, in the cue's effects list and in its editor.
inline constexpr const char* kKivEffectRefusedChannelsNotice = "does not take this cue's channels";
// The parameter id that stands for every parameter of a unit.
inline constexpr std::uint32_t kKivEffectAnyParameter = 0xFFFFFFFF;

// One effect of a chain: a component, the node that runs it in a stream, and
// the state dictionary that brings it back as it was.
//
// The state dictionary keys: "class", "component" (bytes of the component
// description), "manufacturer", "name", "displayName", "enabled",
// "editorIsOpen", "lastEditorFrame" (when known) and "settings": a dictionary
// of "parameters" (values keyed by port symbol), "pluginState" (the plugin's
// own state as text, when it keeps one) and "presetName".
//
// A state given by setProperties() is held until setParameters() applies it
// to a live unit; while held, it is what saving writes, unchanged (so an
// effect whose plugin is missing, or that never got a unit, keeps everything).
// Once applied, saving reads the live unit.
//
// Threads: everything here runs on the main thread but render(). Parameter
// and bypass writes are atomics the render thread reads at its next block;
// format, state, preset and connection writes hold the stream's render lock.
// A state or preset for a unit that a render path runs from a chain goes to
// a new unit instead, which takes the old one's place in the stream (the
// owner crossfades to it).
//
// Its parts: the identity (KivEffectIdentity), where it runs
// (KivEffectPlacement), its saved state (KivEffectState), parameters
// (KivEffectParameters), presets (KivEffectPresets) and editor window
// (KivEffectEditorHost).
class KivEffect : public KivArchivable, public KivAudioRendering {
public:
    // Main thread. nullptr with -2005 in "KivEffectErrorDomain" when the
    // component is not installed.
    static std::shared_ptr<KivEffect>
    effectWithDescription(const KivAudioComponentDescription& description,
                          KivError* error = nullptr);
    // From a state dictionary. A dictionary that is not one of an effect gives
    // nullptr with kEffectInvalidPropertyValue. A component that is not
    // installed gives an effect holding the dictionary, with -2005 in `error`:
    // it stays out of every signal path and saves its dictionary unchanged.
    static std::shared_ptr<KivEffect> effectWithProperties(const nlohmann::json& properties,
                                                           KivError* error = nullptr);
    static std::shared_ptr<KivEffect> initWithCoder(const KivKeyedDecoder& coder);

    ~KivEffect() override;
    KivEffect(const KivEffect&) = delete;
    KivEffect& operator=(const KivEffect&) = delete;

    // A new effect of the same component with a copy of the saved state, in no stream.
    std::shared_ptr<KivEffect> copy();
    void encodeWithCoder(KivKeyedEncoder& coder) const override;

    // Identity.
    bool setComponentDescription(const KivAudioComponentDescription& description,
                                 KivError* error = nullptr);
    KivAudioComponentDescription componentDescription() const;
    // False for an effect whose component is not installed.
    bool isAvailable() const { return _identity.isAvailable(); }
    const std::string& manufacturer() const { return _identity.manufacturer(); }
    const std::string& name() const { return _identity.name(); }
    const std::string& displayName() const { return _identity.displayName(); }
    void setDisplayName(std::string displayName);
    // The name, for log lines.
    const std::string& description() const { return _identity.name(); }

    // Graph membership.
    bool addToStream(KivStream& stream, KivError* error = nullptr);
    bool removeFromStream(KivError* error = nullptr);
    // Keeps both; leaving a stream first saves the live state, then forgets the unit.
    void setStream(KivStream* stream, std::int32_t node);
    KivStream* stream() const { return _placement.stream(); }
    std::int32_t node() const { return _placement.node(); }
    // The node's unit; none outside a stream.
    KivEffectUnit* unit() const { return _placement.unit(); }

    // Connections inside the stream (bus 0 only). Failures are logged and
    // returned in "AUGraphErrorDomain".
    // This effect's output feeds `other`'s input bus.
    bool connectToInputOf(KivEffect& other, std::uint32_t bus = 0, KivError* error = nullptr) {
        return _placement.connectToInputOf(other._placement, bus, error);
    }
    // `other`'s output feeds this effect's input.
    bool connectToOutputOf(KivEffect& other, KivError* error = nullptr) {
        return other.connectToInputOf(*this, 0, error);
    }
    // The input is pulled through `info` (the owner's callback).
    bool setRenderCallback(const KivRenderInfo& info, std::uint32_t bus = 0,
                           KivError* error = nullptr) {
        return _placement.setRenderCallback(info, bus, error);
    }
    // The input is left unfed (silence).
    void clearRenderCallback(std::uint32_t bus = 0) { _placement.clearRenderCallback(bus); }

    // Render thread, with the stream's render lock held. Pulls the input and
    // processes it in place; outside a stream, silence and kEffectUninitialized.
    std::int32_t render(KivRenderFlags& flags, const KivRenderTimeStamp& timeStamp,
                        std::uint32_t busNumber, const AudioChannels& data) override {
        return _placement.render(flags, timeStamp, busNumber, data);
    }

    // Formats of bus 0 (the only bus); none without a unit.
    std::optional<KivAudioStreamDescription> inputStreamFormat() const {
        return _placement.inputStreamFormat();
    }
    std::optional<KivAudioStreamDescription> outputStreamFormat() const {
        return _placement.outputStreamFormat();
    }
    // Channels of bus 0; 0 without a unit.
    std::uint32_t inputChannels() const;
    std::uint32_t outputChannels() const;
    // Writes a side's format. On an initialized unit the stream is stopped,
    // the unit uninitialized, the format written again and everything
    // restarted; the error is that of the last attempt. Without a unit,
    // kEffectUninitialized in "AudioUnitErrorDomain". -10868 when refused.
    bool setInputStreamFormat(const KivAudioStreamDescription& format, KivError* error = nullptr) {
        return _placement.setFormat(true, format, error);
    }
    bool setOutputStreamFormat(const KivAudioStreamDescription& format, KivError* error = nullptr) {
        return _placement.setFormat(false, format, error);
    }
    // Input, then output.
    bool setStreamFormat(const KivAudioStreamDescription& format, KivError* error = nullptr);

    // Parameters (ids are control input port indices); empty without a unit.
    std::vector<EffectParameter> parameters() const { return _parameters.parameters(); }
    // The control outputs the plugin reports, read-only; empty without a unit.
    std::vector<EffectParameter> outputParameters() const { return _parameters.outputParameters(); }
    // Inputs and outputs alike. 0, logged, for an unknown id or without a unit.
    float valueForParameter(std::uint32_t id) const { return _parameters.valueForParameter(id); }
    // Atomic; the render thread takes it at its next block. Listeners hear of
    // it. A value that changes leaves the effect on no preset: its settings
    // are no longer the preset's.
    bool setValueForParameter(std::uint32_t id, float value) {
        return _parameters.setValueForParameter(id, value);
    }
    // Tells the listeners that every parameter may have changed.
    void updateParameters() { _parameters.updateParameters(); }
    // Emitted on the main thread with the id (kKivEffectAnyParameter for all).
    Signal<std::uint32_t>& parameterListeners() { return _parameters.listeners(); }
    // The parameter's name, else "Parameter #<id + 1>".
    std::string titleOfParameter(std::uint32_t id, KivError* error = nullptr) const {
        return _parameters.titleOfParameter(id, error);
    }

    // State. properties() is the held dictionary while one waits for its
    // unit (or no unit exists), else the dictionary made now from the unit.
    nlohmann::json properties() const { return _state.properties(); }
    // Keeps properties() as the held state.
    void saveState() { _state.save(); }
    // setProperties() with the held state.
    bool restoreState() { return _state.restore(); }
    // Holds the dictionary until setParameters() applies it and takes the
    // identity it names. False for anything but a dictionary, or when its
    // component is not installed (the dictionary is held all the same).
    bool setProperties(const nlohmann::json& properties) {
        return _state.setProperties(properties);
    }
    // Applies a held state to the unit (bypass, settings, editor) and drops
    // it. Without a unit, or when the unit refuses the settings, the state
    // stays held and the answer is false; a unit that refuses them is
    // bypassed.
    bool setParameters(KivError* error = nullptr);
    bool hasPendingState() const { return _state.isPending(); }
    bool enabled() const { return _state.enabled(); }
    void setEnabled(bool enabled) { _state.setEnabled(enabled); }
    nlohmann::json settings() const { return _state.settings(); }
    bool setSettings(const nlohmann::json& settings, KivError* error = nullptr) {
        return _state.setSettings(settings, error);
    }

    // Presets.
    std::vector<EffectPreset> factoryPresets() const { return _presets.factoryPresets(); }
    // The plugin knows the preset by its number; `name` is the caller's title for it.
    bool setFactoryPreset(std::int32_t number, const std::string& name, KivError* error = nullptr) {
        return _presets.setFactoryPreset(number, error);
    }
    // Reads a preset file (a settings dictionary in the archive's JSON). A
    // file that cannot be read or that the unit refuses changes nothing and
    // answers "The preset could not be loaded" in `error`.
    bool setUserPreset(const std::string& path, KivError* error = nullptr) {
        return _presets.setUserPreset(path, error);
    }
    // The preset the settings are, as loaded or saved; empty once a
    // parameter moved away from it.
    std::string currentPresetName() const { return _presets.currentPresetName(); }
    void setCurrentPresetName(const std::string& name) { _presets.setCurrentPresetName(name); }

    // Seconds; 0 without a unit. The delay the audio really has: a plugin
    // bypassed through its own "enabled" port keeps its latency, one
    // bypassed by the host has none.
    double latency() const;
    // Seconds; 0 while bypassed or without a unit.
    double tailTime() const;

    // The channel count of the chain this effect is in when its plugin cannot
    // be fitted to it (the chain then leaves it out of its signal path); 0
    // while it takes the chain's channels.
    std::uint32_t refusedChannels() const { return _refusedChannels; }
    // The chain tells, at each fitting. Emits fitChanged() on a change.
    void setRefusedChannels(std::uint32_t channels);
    // Emitted on the thread that fits the chain, possibly under the locks of
    // the chain's owner: an observer defers whatever it does to its own
    // thread's next turn.
    Signal<>& fitChanged() { return _fitChanged; }

    // Editor. An effect whose plugin cannot take its chain's channels opens
    // its editor all the same, to say so.
    void openEditor();
    void closeEditor() { _editor.close(); }
    // The editor's window tells its effect it closed; ownership of the
    // window goes back to the caller.
    std::unique_ptr<KivEffectEditorWindow> editorWillClose() { return _editor.willClose(); }
    bool editorIsOpen() const { return _editor.isOpen(); }
    KivEffectEditorWindow* editor() const { return _editor.window(); }
    const std::string& lastEditorFrame() const { return _editor.lastFrame(); }
    // The plugin's own view inside the X window `parent` (see
    // EffectProcessor::openUi); none without a unit.
    std::unique_ptr<EffectPluginUi> openPluginUi(std::uintptr_t parent,
                                                 EffectPluginUiCallbacks callbacks,
                                                 std::string& failure) const;

private:
    friend class KivStream; // keeps the placement's render unit on the node's unit

    KivEffect() = default;

    KivEffectIdentity _identity;
    KivEffectPlacement _placement{_identity};
    KivEffectEditorHost _editor;
    KivEffectState _state{_identity, _placement, _editor};
    KivEffectParameters _parameters{_identity, _placement};
    KivEffectPresets _presets{_identity, _placement, _state, _parameters};
    std::uint32_t _refusedChannels = 0;
    Signal<> _fitChanged;
};
