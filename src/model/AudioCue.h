#pragma once

#include "audio/source/KivAudioSourceDelegate.h"
#include "foundation/KivArchivable.h"
#include "foundation/Signal.h"
#include "model/Cue.h"
#include "model/CueChannelRouting.h"
#include "model/CueEffectChain.h"
#include "model/CuePlayback.h"
#include "model/CueTriggerBindings.h"
#include "model/PondraColor.h"
#include "platform/midi/MidiMessage.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class KivAlias;
class KivAudioDevice;
class KivAudioSource;
class KivEffect;
class KivKeyedDecoder;

// Posted through NotificationCenter::defaultCenter() with the posting cue (or
// none) as object; every audio cue hard-stops on it.
inline constexpr const char* PondraCueHardStopNotification = "PondraCueHardStopNotification";

// One audio file played through its own source on the workspace's output
// device, with its playback settings, hot key, MIDI trigger and effect chain.
// Archived as "PondraCue" (see CueArchive); on the pasteboard as
// "com.brenmoor.pondra.cue". Its playback and transport (CuePlayback), effect
// chain (CueEffectChain), channels in its own mixer (CueChannelRouting) and
// hot key and MIDI bindings (CueTriggerBindings) are parts of its own; the
// cue keeps the file, the device and the triggers.
//
// Main thread only: triggers, transport, the progress timer and the panic
// timer all run there, on the scheduler and clock taken at construction.
class AudioCue final : public Cue,
                       public KivArchivable,
                       public KivAudioSourceDelegate,
                       public std::enable_shared_from_this<AudioCue> {
    struct Token {};

public:
    static constexpr const char* kPasteboardType = "com.brenmoor.pondra.cue";
    static constexpr double kProgressInterval = CuePlayback::kProgressInterval;
    static constexpr double kDuckTime = CuePlayback::kDuckTime;
    static constexpr float kDuckedVolume = CuePlayback::kDuckedVolume;
    // The top of the inspector's volume slider; a decoded volume is held to it.
    static constexpr float kMaximumVolume = 1.0f;
    // Past these an archived cue is refused before anything more of it is
    // decoded: far more than any cue made in the program holds.
    static constexpr std::size_t kMaximumEffects = 64;
    // A file's path, as the system takes one.
    static constexpr std::size_t kMaximumPathSize = 4096;
    static constexpr std::size_t kMaximumHotkeySize = 256;
    static constexpr std::size_t kMaximumPasteboardSize = 4u << 20;

    // Named after the file, volume 1.0, playing the whole file. nullptr when
    // no source can be made; a file the source cannot open gives a broken cue.
    static std::shared_ptr<AudioCue> initWithFile(const std::string& path,
                                                  std::shared_ptr<KivAudioDevice> device);
    // The source has no file and no device yet: the document re-points the
    // file (updateFile) and hands over the device (setAudioDevice).
    static std::shared_ptr<AudioCue> initWithCoder(const KivKeyedDecoder& coder);
    // Every setting but the flag, with copies of the effects on its own source,
    // playing the file this cue plays.
    std::shared_ptr<AudioCue> copy() const;

    // The keyed archive with the cue as root object and the reference to its
    // file beside it.
    std::vector<std::uint8_t> pasteboardData() const;
    // nullptr for data that is not an archived cue, or that is larger than
    // kMaximumPasteboardSize (refused unread), with why in `problem`. The cue
    // plays the file the reference finds; it has no device yet.
    static std::shared_ptr<AudioCue> cueFromPasteboardData(const std::vector<std::uint8_t>& data,
                                                           std::string* problem = nullptr);

    AudioCue(Token, std::shared_ptr<KivAudioSource> source);
    ~AudioCue() override;

    std::string description() const override;
    void encodeWithCoder(KivKeyedEncoder& coder) const override;

    // File and device.
    const std::string& file() const { return _file; }
    // Re-points the cue to a file; the played stretch stays.
    void updateFile(const std::string& path);
    // The same with the file's reference already made; nullptr leaves the cue
    // without a file to play, broken.
    void updateFile(const std::string& path, std::shared_ptr<KivAlias> alias);
    // A save or a move put the very bytes the cue plays at `path`, found by
    // `alias`: the cue's reference follows them there and its stream is not
    // rebuilt, so a playing cue plays on without a gap. Without a reference on
    // either side it is re-pointed as by updateFile.
    void moveFile(const std::string& path, const std::shared_ptr<KivAlias>& alias);
    // The media path inside the saved package; none until saved.
    const std::optional<std::string>& documentPath() const { return _documentPath; }
    void setDocumentPath(std::optional<std::string> path) { _documentPath = std::move(path); }
    KivAudioSource* audioSource() const { return _audioSource.get(); }
    // What a view shows of the file: its reference (null without one), its
    // length and where the playhead is in it, in seconds of the file.
    std::shared_ptr<KivAlias> mediaAlias() const;
    double fileLengthInSeconds() const;
    double currentFileTime() const;
    std::shared_ptr<KivAudioDevice> audioDevice() const { return _audioDevice; }
    // Moves the source to the device; a playing cue plays on from where it was.
    void setAudioDevice(std::shared_ptr<KivAudioDevice> device);
    int deviceChannel() const { return _routing.deviceChannel(); }
    // Spreads the file's channels over feed channels channel, channel + 1,
    // ... in the cue's own mixer (below 1 counts as 1). The device's routing
    // is the workspace's and stays as it is.
    void setDeviceChannel(int channel) { _routing.setDeviceChannel(channel); }

    // State.
    bool isPlaying() const;
    bool isRunning() const { return isPlaying(); }
    bool isLoaded() const;
    // Stops, then loads the cue where its playhead was, to go on from there.
    void stopKeepingPlace();
    bool playing() const { return _playback.playing(); }
    bool isPaused() const { return _playback.isPaused(); }
    bool dead() const { return _playback.dead(); }
    void setDead(bool dead) { _playback.setDead(dead); }
    bool saved() const { return _saved; }
    void setSaved(bool saved) { _saved = saved; }
    // Fraction played, 0..1, updated every 0.1 s while playing.
    float progress() const { return _playback.progress(); }
    double elapsedTime() const;
    double remainingTime() const;
    // Broken: no device, a file that cannot be played, or media missing.
    bool isBroken() const override;
    std::string brokenExplanation() const override;
    bool isPanicking() const override { return _playback.isPanicking(); }
    // Broken while broken, whether or not what it had read still plays.
    CueState state() const { return _playback.state(); }
    // The cue's file was not there when last looked for: at its making, at
    // a trigger, at a save.
    bool isMediaMissing() const { return _mediaMissing; }
    // Looks for the file again (a file deleted while the show is open is
    // found out here); true while it is there or the cue has none.
    bool checkMedia();
    ChangeSignal<bool>& playingChanged() { return _playback.playingChanged(); }
    ChangeSignal<float>& progressChanged() { return _playback.progressChanged(); }
    ChangeSignal<CueState>& stateChanged() { return _playback.stateChanged(); }
    // A trigger that found the cue broken and played nothing.
    Signal<>& triggerRefused() { return _triggerRefused; }

    // Settings.
    float volume() const { return _playback.volume(); }
    void setVolume(float volume) { _playback.setVolume(volume); }
    ChangeSignal<float>& volumeChanged() { return _playback.volumeChanged(); }
    bool loops() const { return _playback.loops(); }
    void setLoops(bool loops) { _playback.setLoops(loops); }
    bool hold() const { return _playback.hold(); }
    void setHold(bool hold) { _playback.setHold(hold); }
    bool solo() const { return _playback.solo(); }
    void setSolo(bool solo) { _playback.setSolo(solo); }
    // A cue that ducks the others of its workspace while it plays (see
    // Workspace::updateCueDucking); it is never ducked itself, so setting the
    // flag brings a ducked cue back.
    bool ducking() const { return _playback.ducking(); }
    void setDucking(bool ducking) { _playback.setDucking(ducking); }
    const PondraColor& color() const { return _color; }
    // Tells the observers of every call, the same colour too.
    void setColor(PondraColor color);
    ChangeSignal<PondraColor>& colorChanged() { return _colorChanged; }
    static constexpr double kShortestRange = CuePlayback::kShortestRange;
    double startTime() const { return _playback.startTime(); }
    // Keeps the sound going from the same place in the file.
    void setStartTime(double seconds) { _playback.setStartTime(seconds); }
    ChangeSignal<double>& startTimeChanged() { return _playback.startTimeChanged(); }
    double endTime() const { return _playback.endTime(); }
    void setEndTime(double seconds) { _playback.setEndTime(seconds); }
    ChangeSignal<double>& endTimeChanged() { return _playback.endTimeChanged(); }

    // Hot key: empty or one upper-case character.
    const std::string& hotkey() const { return _bindings.hotkey(); }
    void setHotkey(const std::string& text) { _bindings.setHotkey(text); }
    ChangeSignal<std::string>& hotkeyChanged() { return _bindings.hotkeyChanged(); }
    // Trimmed, cut to its first character, upper-cased.
    static std::string parseHotkey(const std::string& text) {
        return CueTriggerBindings::parseHotkey(text);
    }

    // MIDI trigger. Setters of one byte start from the current bytes (zeros
    // without a trigger); out-of-range values are ignored.
    const std::optional<MidiTrigger>& midiTrigger() const { return _bindings.midiTrigger(); }
    void setMidiTrigger(std::optional<MidiTrigger> trigger) { _bindings.setMidiTrigger(trigger); }
    // None without a trigger: such a cue matches no note.
    std::optional<int> midiNote() const { return _bindings.midiNote(); }
    void setMidiNote(int note) { _bindings.setMidiNote(note); }
    ChangeSignal<std::optional<int>>& midiNoteChanged() { return _bindings.midiNoteChanged(); }
    // The text's integer clamped to 0..127.
    static int parseMidiNote(const std::string& text) {
        return CueTriggerBindings::parseMidiNote(text);
    }
    // MIDI learn: the message's note.
    void setMidiTriggerFrom(const MidiMessage& message) { setMidiNote(message.dataByte1()); }
    // 0 note off, 1 note on, 2 key pressure, 3 control change, 4 program
    // change, 5 channel pressure.
    int midiTriggerCommand() const { return _bindings.midiTriggerCommand(); }
    void setMidiTriggerCommand(int command) { _bindings.setMidiTriggerCommand(command); }
    int midiTriggerByte2() const { return _bindings.midiTriggerByte2(); }
    void setMidiTriggerByte2(int value) { _bindings.setMidiTriggerByte2(value); }

    // Effects, first applied first. A playing cue plays on through every
    // change, from where it was (see KivAudioSource).
    const std::vector<std::shared_ptr<KivEffect>>& effects() const {
        return _effectChain.effects();
    }
    void setEffects(std::vector<std::shared_ptr<KivEffect>> effects) {
        _effectChain.setEffects(std::move(effects));
    }
    void addEffect(const std::shared_ptr<KivEffect>& effect) { _effectChain.addEffect(effect); }
    // At `index` of the chain (at the end when past it).
    void insertEffect(const std::shared_ptr<KivEffect>& effect, std::size_t index) {
        _effectChain.insertEffect(effect, index);
    }
    void removeEffect(const std::shared_ptr<KivEffect>& effect) {
        _effectChain.removeEffect(effect);
    }
    // Moves the entry, then updateEffects.
    void moveEffectAtIndex(std::size_t from, std::size_t to) {
        _effectChain.moveEffectAtIndex(from, to);
    }
    // Saves every effect's state and rebuilds the source's chain with it; a
    // playing cue plays on from where it was.
    void updateEffects() { _effectChain.updateEffects(); }
    void closeEffectEditors() { _effectChain.closeEffectEditors(); }
    Signal<>& effectsChanged() { return _effectChain.effectsChanged(); }

    // Triggers.
    void trigger() { triggerDown(); }
    void triggerDown();
    void triggerUp();
    void handleMIDIMessages(const MidiBatch& messages);
    bool matchesForMIDIDown(const MidiMessage& message) const {
        return _bindings.matchesForMIDIDown(message);
    }
    bool matchesForMIDIUp(const MidiMessage& message) const {
        return _bindings.matchesForMIDIUp(message);
    }

    // Transport.
    void play() { _playback.play(); }
    void pause() { _playback.pause(); }
    void resume() { _playback.resume(); }
    void stop() { _playback.stop(); }
    // Silent at once, then stopped.
    void hardStop() { _playback.hardStop(); }
    // Seeks the source.
    void loadActionAt(double seconds) { _playback.loadActionAt(seconds); }

    // Under a cue that ducks: the source fades to kDuckedVolume of the cue's
    // volume over kDuckTime, and back to the volume. The volume itself stays
    // the user's. A cue that is ducked plays at the ducked level from its
    // start; one that ducks the others is never ducked. Each does nothing
    // when the cue is already so; a panic fade keeps the level it owns.
    void duck() { _playback.duck(); }
    void unduck() { _playback.unduck(); }
    bool isDucked() const { return _playback.isDucked(); }

    // The progress timer finds the end of play.
    void audioSourceDidFinish(KivAudioSource&) override {}

private:
    friend class CueArchive;

    // A cue with a new source and no file; nullptr when no source can be made.
    static std::shared_ptr<AudioCue> make();
    // initWithFile with the file's reference already made (nullptr: missing).
    static std::shared_ptr<AudioCue> initWithFile(const std::string& path,
                                                  std::shared_ptr<KivAlias> alias,
                                                  std::shared_ptr<KivAudioDevice> device);

    void panicAction() override { _playback.panicAction(); }
    void setMediaMissing(bool missing);

    std::string _file;
    std::optional<std::string> _documentPath;
    std::shared_ptr<KivAudioSource> _audioSource;
    std::shared_ptr<KivAudioDevice> _audioDevice;
    bool _saved = false;
    bool _mediaMissing = false;
    PondraColor _color = PondraColor::defaultColor();
    ChangeSignal<PondraColor> _colorChanged;
    Signal<> _triggerRefused;
    CuePlayback _playback;
    CueEffectChain _effectChain;
    CueChannelRouting _routing;
    CueTriggerBindings _bindings;
    Connection _hardStopObservation;
};
