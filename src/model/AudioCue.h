#pragma once

#include "audio/source/KivAudioSourceDelegate.h"
#include "foundation/Clock.h"
#include "foundation/KivArchivable.h"
#include "foundation/Scheduler.h"
#include "foundation/Signal.h"
#include "model/Cue.h"
#include "model/PondraColor.h"
#include "platform/midi/MidiMessage.h"

#include <array>
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

// Status (command), note, second data byte.
using MidiTrigger = std::array<std::uint8_t, 3>;

// What a cue does, as the main thread knows it: set there by every trigger,
// transport call, end of play found by the progress timer and check of the
// media, never read back from the render thread's flags.
enum class CueState { Stopped, Playing, Paused, Fading, Broken };

// One audio file played through its own source on the workspace's output
// device, with its playback settings, hot key, MIDI trigger and effect chain.
// Archived as "PondraCue"; on the pasteboard as "com.brenmoor.pondra.cue".
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
    static constexpr double kProgressInterval = 0.1;
    static constexpr double kDuckTime = 2.0;
    static constexpr float kDuckedVolume = 0.05f;
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
    int deviceChannel() const { return _deviceChannel; }
    // Spreads the file's channels over feed channels channel, channel + 1,
    // ... in the cue's own mixer (below 1 counts as 1). The device's routing
    // is the workspace's and stays as it is.
    void setDeviceChannel(int channel);

    // State.
    bool isPlaying() const;
    bool isRunning() const { return isPlaying(); }
    bool isLoaded() const;
    // Stops, then loads the cue where its playhead was, to go on from there.
    void stopKeepingPlace();
    bool playing() const { return _playing; }
    bool isPaused() const { return _paused; }
    bool dead() const { return _dead; }
    void setDead(bool dead) { _dead = dead; }
    bool saved() const { return _saved; }
    void setSaved(bool saved) { _saved = saved; }
    // Fraction played, 0..1, updated every 0.1 s while playing.
    float progress() const { return _progress; }
    double elapsedTime() const;
    double remainingTime() const;
    // Broken: no device, a file that cannot be played, or media missing.
    bool isBroken() const override;
    std::string brokenExplanation() const override;
    bool isPanicking() const override { return _doPanic; }
    // Broken while broken, whether or not what it had read still plays.
    CueState state() const { return _state; }
    // The cue's file was not there when last looked for: at its making, at
    // a trigger, at a save.
    bool isMediaMissing() const { return _mediaMissing; }
    // Looks for the file again (a file deleted while the show is open is
    // found out here); true while it is there or the cue has none.
    bool checkMedia();
    ChangeSignal<bool>& playingChanged() { return _playingChanged; }
    ChangeSignal<float>& progressChanged() { return _progressChanged; }
    ChangeSignal<CueState>& stateChanged() { return _stateChanged; }
    // A trigger that found the cue broken and played nothing.
    Signal<>& triggerRefused() { return _triggerRefused; }

    // Settings.
    float volume() const { return _volume; }
    void setVolume(float volume);
    ChangeSignal<float>& volumeChanged() { return _volumeChanged; }
    bool loops() const { return _loops; }
    void setLoops(bool loops);
    bool hold() const { return _hold; }
    void setHold(bool hold) { _hold = hold; }
    bool solo() const { return _solo; }
    void setSolo(bool solo) { _solo = solo; }
    // A cue that ducks the others of its workspace while it plays (see
    // Workspace::updateCueDucking); it is never ducked itself, so setting the
    // flag brings a ducked cue back.
    bool ducking() const { return _ducking; }
    void setDucking(bool ducking);
    const PondraColor& color() const { return _color; }
    // Tells the observers of every call, the same colour too.
    void setColor(PondraColor color);
    ChangeSignal<PondraColor>& colorChanged() { return _colorChanged; }
    // The setters keep start and end this far apart at least: the meta
    // buffer takes only slices longer than 0.1 s, and the editor keeps times
    // to the millisecond.
    static constexpr double kShortestRange = 0.101;
    double startTime() const { return _startTime; }
    // Keeps the sound going from the same place in the file.
    void setStartTime(double seconds);
    ChangeSignal<double>& startTimeChanged() { return _startTimeChanged; }
    double endTime() const { return _endTime; }
    void setEndTime(double seconds);
    ChangeSignal<double>& endTimeChanged() { return _endTimeChanged; }

    // Hot key: empty or one upper-case character.
    const std::string& hotkey() const { return _hotkey; }
    void setHotkey(const std::string& text);
    ChangeSignal<std::string>& hotkeyChanged() { return _hotkeyChanged; }
    // Trimmed, cut to its first character, upper-cased.
    static std::string parseHotkey(const std::string& text);

    // MIDI trigger. Setters of one byte start from the current bytes (zeros
    // without a trigger); out-of-range values are ignored.
    const std::optional<MidiTrigger>& midiTrigger() const { return _midiTrigger; }
    void setMidiTrigger(std::optional<MidiTrigger> trigger) { _midiTrigger = trigger; }
    // None without a trigger: such a cue matches no note.
    std::optional<int> midiNote() const;
    void setMidiNote(int note);
    ChangeSignal<std::optional<int>>& midiNoteChanged() { return _midiNoteChanged; }
    // The text's integer clamped to 0..127.
    static int parseMidiNote(const std::string& text);
    // MIDI learn: the message's note.
    void setMidiTriggerFrom(const MidiMessage& message);
    // 0 note off, 1 note on, 2 key pressure, 3 control change, 4 program
    // change, 5 channel pressure.
    int midiTriggerCommand() const;
    void setMidiTriggerCommand(int command);
    int midiTriggerByte2() const;
    void setMidiTriggerByte2(int value);

    // Effects, first applied first. A playing cue plays on through every
    // change, from where it was (see KivAudioSource).
    const std::vector<std::shared_ptr<KivEffect>>& effects() const { return _effects; }
    void setEffects(std::vector<std::shared_ptr<KivEffect>> effects);
    void addEffect(const std::shared_ptr<KivEffect>& effect);
    // At `index` of the chain (at the end when past it).
    void insertEffect(const std::shared_ptr<KivEffect>& effect, std::size_t index);
    void removeEffect(const std::shared_ptr<KivEffect>& effect);
    // Moves the entry, then updateEffects.
    void moveEffectAtIndex(std::size_t from, std::size_t to);
    // Saves every effect's state and rebuilds the source's chain with it; a
    // playing cue plays on from where it was.
    void updateEffects();
    void closeEffectEditors();
    Signal<>& effectsChanged() { return _effectsChanged; }

    // Triggers.
    void trigger() { triggerDown(); }
    void triggerDown();
    void triggerUp();
    void handleMIDIMessages(const MidiBatch& messages);
    bool matchesForMIDIDown(const MidiMessage& message) const;
    bool matchesForMIDIUp(const MidiMessage& message) const;

    // Transport.
    void play();
    void pause();
    void resume();
    void stop();
    // Silent at once, then stopped.
    void hardStop();
    // Seeks the source.
    void loadActionAt(double seconds);

    // Under a cue that ducks: the source fades to kDuckedVolume of the cue's
    // volume over kDuckTime, and back to the volume. The volume itself stays
    // the user's. A cue that is ducked plays at the ducked level from its
    // start; one that ducks the others is never ducked. Each does nothing
    // when the cue is already so; a panic fade keeps the level it owns.
    void duck();
    void unduck();
    bool isDucked() const { return _ducked; }

    void audioSourceDidFinish(KivAudioSource& source) override;

private:
    // A cue with a new source and no file; nullptr when no source can be made.
    static std::shared_ptr<AudioCue> make();
    // initWithFile with the file's reference already made (nullptr: missing).
    static std::shared_ptr<AudioCue> initWithFile(const std::string& path,
                                                  std::shared_ptr<KivAlias> alias,
                                                  std::shared_ptr<KivAudioDevice> device);

    void panicAction() override;
    double panicDuration() const;
    void setDuckVolume(float volume);
    // The volume, lowered while ducked: what the source's master is set to.
    float playedVolume() const;
    // Fades the source to playedVolume() as a duck or an unduck does.
    void fadeToPlayedVolume();
    void updateProgress();
    void audioFinished();
    void updateSlices();
    void routeMonoToBothOutputs();
    void cancelProgressTimer();
    void setPlaying(bool playing);
    void setProgress(float progress);
    void setPaused(bool paused);
    void setMediaMissing(bool missing);
    void updateState();
    MidiTrigger midiTriggerBytes() const;
    // Runs `change` on the source and seeks a playing source back to where it was.
    template <typename Change>
    void keepingPosition(Change change);

    Scheduler& _scheduler;
    const Clock& _clock;
    std::string _file;
    std::optional<std::string> _documentPath;
    std::shared_ptr<KivAudioSource> _audioSource;
    std::shared_ptr<KivAudioDevice> _audioDevice;
    int _deviceChannel = 1;
    float _progress = 0.0f;
    float _volume = 0.0f;
    bool _loops = false;
    bool _hold = false;
    bool _solo = false;
    bool _ducking = false;
    bool _ducked = false;
    // When the last duck or unduck began its fade, on the main loop's clock.
    std::optional<double> _duckFadeStart;
    bool _paused = false;
    bool _playing = false;
    bool _dead = false;
    bool _saved = false;
    bool _doPanic = false;
    bool _mediaMissing = false;
    CueState _state = CueState::Stopped;
    std::optional<Scheduler::TimerId> _panicTimer;
    std::optional<Scheduler::TimerId> _progressTimer;
    PondraColor _color = PondraColor::defaultColor();
    std::string _hotkey;
    std::vector<std::shared_ptr<KivEffect>> _effects;
    std::optional<MidiTrigger> _midiTrigger;
    double _startTime = 0.0;
    double _endTime = 0.0;
    ChangeSignal<bool> _playingChanged;
    ChangeSignal<float> _progressChanged;
    ChangeSignal<CueState> _stateChanged;
    Signal<> _triggerRefused;
    ChangeSignal<float> _volumeChanged;
    ChangeSignal<PondraColor> _colorChanged;
    ChangeSignal<double> _startTimeChanged;
    ChangeSignal<double> _endTimeChanged;
    ChangeSignal<std::string> _hotkeyChanged;
    ChangeSignal<std::optional<int>> _midiNoteChanged;
    Signal<> _effectsChanged;
    Connection _hardStopObservation;
};
