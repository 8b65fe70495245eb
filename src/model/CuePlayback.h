#pragma once

#include "foundation/Clock.h"
#include "foundation/Scheduler.h"
#include "foundation/Signal.h"

#include <optional>

class AudioCue;
class KivAudioSource;

// What a cue does, as the main thread knows it: set there by every trigger,
// transport call, end of play found by the progress timer and check of the
// media, never read back from the render thread's flags.
enum class CueState { Stopped, Playing, Paused, Fading, Broken };

// A cue's playback settings and its transport, which drive the cue's source:
// the played stretch and its loop, the volume and its ducks, play, pause and
// stop, the panic's fade and the progress timer that finds the end of play.
//
// Main thread only, on the scheduler and clock taken at construction.
class CuePlayback final {
public:
    static constexpr double kProgressInterval = 0.1;
    static constexpr double kDuckTime = 2.0;
    static constexpr float kDuckedVolume = 0.05f;
    // The setters keep start and end this far apart at least: the meta
    // buffer takes only slices longer than 0.1 s, and the editor keeps times
    // to the millisecond.
    static constexpr double kShortestRange = 0.101;

    // The settings as a new cue or a document has them, taken as they are.
    struct Settings {
        float volume = 0.0f;
        bool hold = false;
        bool loops = false;
        bool solo = false;
        bool ducking = false;
        bool dead = false;
        double startTime = 0.0;
        double endTime = 0.0;
    };

    // `cue` owns the playback and `source` outlives it; the cue answers
    // whether it is broken and where it plays.
    CuePlayback(AudioCue& cue, KivAudioSource& source);
    ~CuePlayback();
    CuePlayback(const CuePlayback&) = delete;
    CuePlayback& operator=(const CuePlayback&) = delete;

    // Sets every setting without a word to the observers or the source;
    // updateSlices hands the stretch over.
    void restore(const Settings& settings);

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
    bool ducking() const { return _ducking; }
    void setDucking(bool ducking);
    bool dead() const { return _dead; }
    void setDead(bool dead) { _dead = dead; }
    double startTime() const { return _startTime; }
    void setStartTime(double seconds);
    ChangeSignal<double>& startTimeChanged() { return _startTimeChanged; }
    double endTime() const { return _endTime; }
    void setEndTime(double seconds);
    ChangeSignal<double>& endTimeChanged() { return _endTimeChanged; }

    // State.
    bool playing() const { return _playing; }
    bool isPaused() const { return _paused; }
    bool isPanicking() const { return _doPanic; }
    float progress() const { return _progress; }
    CueState state() const { return _state; }
    // Asks the cue again whether it is broken.
    void updateState();
    ChangeSignal<bool>& playingChanged() { return _playingChanged; }
    ChangeSignal<float>& progressChanged() { return _progressChanged; }
    ChangeSignal<CueState>& stateChanged() { return _stateChanged; }

    // Transport.
    void play();
    void pause();
    void resume();
    void stop();
    void hardStop();
    void loadActionAt(double seconds);
    void panicAction();
    // Hands the played stretch and its loop to the source, from its start.
    void updateSlices();

    void duck();
    void unduck();
    bool isDucked() const { return _ducked; }
    // The volume, lowered while ducked: what the source's master is set to.
    float playedVolume() const;

private:
    double panicDuration() const;
    void setDuckVolume(float volume);
    // Fades the source to playedVolume() as a duck or an unduck does.
    void fadeToPlayedVolume();
    void updateProgress();
    void audioFinished();
    void cancelProgressTimer();
    void setPlaying(bool playing);
    void setProgress(float progress);
    void setPaused(bool paused);
    // Runs `change` on the source and seeks a playing source back to where it was.
    template <typename Change>
    void keepingPosition(Change change);

    AudioCue& _cue;
    KivAudioSource& _source;
    Scheduler& _scheduler;
    const Clock& _clock;
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
    bool _doPanic = false;
    CueState _state = CueState::Stopped;
    std::optional<Scheduler::TimerId> _panicTimer;
    std::optional<Scheduler::TimerId> _progressTimer;
    double _startTime = 0.0;
    double _endTime = 0.0;
    ChangeSignal<bool> _playingChanged;
    ChangeSignal<float> _progressChanged;
    ChangeSignal<CueState> _stateChanged;
    ChangeSignal<float> _volumeChanged;
    ChangeSignal<double> _startTimeChanged;
    ChangeSignal<double> _endTimeChanged;
};
