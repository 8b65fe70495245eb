#pragma once

#include "audio/core/KivAudioStreamDescription.h"
#include "audio/device/KivActionInfo.h"
#include "audio/device/KivAudioPlayable.h"
#include "audio/render/KivFadeRunner.h"
#include "audio/render/KivRetireList.h"
#include "audio/render/MatrixMixerInput.h"
#include "audio/render/MatrixMixerParameters.h"
#include "audio/source/KivAudioMetaBuffer.h"
#include "audio/source/KivAudioSourceDelegate.h"
#include "foundation/Clock.h"
#include "foundation/MainRunLoop.h"
#include "foundation/RenderLogLimiter.h"
#include "foundation/Scheduler.h"
#include "foundation/Signal.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <shared_mutex>
#include <string>
#include <vector>

class KivAlias;
class KivAudioDevice;
class KivAudioSend;
class KivEffect;
class KivEffectBus;
class KivEffectChain;
class KivStream;
class MatrixMixer;

// One playable file with its own graph: meta buffer -> effect chain -> its own
// matrix mixer, which spreads the file's channels over the feed channels of a
// device bus (or of a send). While it plays it is attached to one bus and
// pulled by the device's render thread. Starts and stops are synchronised
// actions of the device, so sources started in one batch begin together.
//
// Threads:
// - control threads (main, MIDI delivery): set-up, rebuilds, play, stop,
//   the cleanup timer and the gain setters. `_controlMutex` serialises them,
//   so a trigger racing the cleanup timer never leaves a source playing but
//   detached. The render thread never takes it.
// - the render thread: render() and the actions _play, _stop, _hardStop,
//   _devamp, which only set atomics.
// - fade threads: the master gain.
//
// A rebuild (a new file, device or send) holds `_renderMutex` while it swaps
// the graph; the render path only try-locks it and plays silence meanwhile,
// so a rebuild never stalls the device's other buses. Files are opened and
// read-ahead workers stopped outside that lock. An effect change (added,
// removed, reordered, a preset or state loaded) is no rebuild: new units are
// made and prepared on the control thread, and the render thread is handed a
// new KivEffectChain, which it takes at the start of a cycle and crossfades
// to; the chain it leaves goes back to be freed on a control thread. Play
// goes on through the change, from the same place in the file.
class KivAudioSource final : public KivAudioPlayable,
                             private MatrixMixerInput,
                             private KivFadeTarget {
public:
    static constexpr double minSliceDuration = 0.1;
    // Seconds between finish checks while played.
    static constexpr double kCleanupInterval = 1.0;

    // Main thread. nullptr after "Error: KivAudioSource could not create a stream."
    static std::shared_ptr<KivAudioSource> create(Scheduler& scheduler = MainRunLoop::scheduler(),
                                                  const Clock& clock = MainRunLoop::clock());
    ~KivAudioSource();
    KivAudioSource(const KivAudioSource&) = delete;
    KivAudioSource& operator=(const KivAudioSource&) = delete;

    // Configuration, control thread. Each setter that changes something rebuilds.
    std::shared_ptr<KivAlias> alias() const;
    void setAlias(std::shared_ptr<KivAlias> alias);
    KivAudioDevice* device() const override;
    std::shared_ptr<KivAudioDevice> sharedDevice() const;
    // Stops and detaches from the old device, lets go of its use count and
    // engages the new one (opening it when closed).
    void setDevice(std::shared_ptr<KivAudioDevice> device);
    std::shared_ptr<KivAudioSend> send() const;
    void setSend(std::shared_ptr<KivAudioSend> send);
    // The meta buffer's slice list; empty without a file.
    nlohmann::json slices() const;
    bool setSlices(const nlohmann::json& slices);
    std::vector<std::shared_ptr<KivEffect>> effects() const;
    void setEffects(std::vector<std::shared_ptr<KivEffect>> effects);
    // Ignored for null or an effect already in the chain.
    void addEffect(const std::shared_ptr<KivEffect>& effect);
    // Ignored for null or an effect not in the chain.
    void removeEffect(const std::shared_ptr<KivEffect>& effect);
    // Seconds the effect chain rings on after its input stops.
    double tailTime() const;
    // The last rebuild made a playable graph.
    bool isValid() const;
    std::uint32_t fileChannels() const;
    // 0 with a file, else the device's input channels.
    std::uint32_t micChannels() const;
    KivAudioSourceDelegate* delegate() const;
    void setDelegate(KivAudioSourceDelegate* delegate);

    // Times in seconds, from the meta buffer; control thread.
    double fileLengthInSeconds() const;
    double audioLengthInSeconds() const;
    double elapsedPlayTime() const;
    double elapsedLogicalTime() const;
    double timeUntilLoop() const;
    double currentFileTime() const;
    double startTime() const;
    double endTime() const;
    void goToTime(double seconds);

    // Transport, control thread. play attaches the source and queues its
    // start on the device; stop fades the file out and lets the effects ring
    // on; hardStop fades everything out within the next cycle; devamp plays
    // the current loop out and runs on. Every edge is a short fade (see
    // KivEdgeRamp) that begins on the first frame of the cycle the action
    // runs before.
    void play();
    void stop();
    void hardStop();
    void devamp();
    bool isPlaying() const;
    bool wasStopped() const;
    bool isFinished() const;

    // The synchronised actions; run where the device runs them.
    void _play();
    void _stop();
    void _hardStop();
    void _devamp();
    static constexpr auto kPlayAction = kivAction<KivAudioSource, &KivAudioSource::_play>("_play");
    static constexpr auto kStopAction = kivAction<KivAudioSource, &KivAudioSource::_stop>("_stop");
    static constexpr auto kHardStopAction =
        kivAction<KivAudioSource, &KivAudioSource::_hardStop>("_hardStop");
    static constexpr auto kDevampAction =
        kivAction<KivAudioSource, &KivAudioSource::_devamp>("_devamp");

    // The cleanup timer's check, main thread: once finished, detaches the
    // source, ends the timer and tells the delegate.
    void _detachIfFinished();

    // Gains of the source's own mixer, any thread but the render thread.
    // Without a valid stream the setters do nothing and the master is 0.
    // Rows and columns as on the device: row 0 column 0 the master, row 0
    // column c output c - 1, row r column 0 input r - 1, else the crosspoint
    // r - 1 to c - 1. Input channels are file channels, outputs feed channels.
    float masterVolume() const;
    void setMasterVolume(float volume);
    void setInputVolume(float volume, std::uint32_t channel);
    void setOutputVolume(float volume, std::uint32_t channel);
    void setCrosspointVolume(float volume, std::uint32_t input, std::uint32_t output);
    void setVolume(float volume, std::uint32_t row, std::uint32_t column);
    void setSilentVolumes();
    // Master, inputs and outputs 1, file channel i to feed channel i at 1.
    void setDefaultVolumes();
    // A raised-cosine fade of the master in 10 ms steps that runs only while
    // the source plays; a newer fade ends an older one.
    void fadeToMasterVolume(float volume, double time);
    // Tests and offline rendering: fades step only in stepFades() at `clock`'s
    // time; the clock must outlive the source.
    void useSteppedFades(const Clock& clock);
    std::size_t stepFades();
    // Tests: rebuilds from now on make meta buffers whose read-ahead runs
    // only in tendBuffers(), on the caller's thread.
    void useManualBuffers();
    void tendBuffers();
    // Render cycles that found the graph rebuilding (and played silence).
    std::uint64_t missedCycles() const { return _missedCycles.load(); }
    // Control thread. Frames the read-ahead could not supply in time (played
    // as silence) since the last rebuild.
    std::uint64_t droppedFrames() const;

    // Post-fader meters of a feed channel, in dB; the floor without a valid
    // stream. A side's meters run from the first read on.
    float outPostAveragePowerAtChannel(std::uint32_t channel) const;
    float outPostPeakHoldLevelAtChannel(std::uint32_t channel) const;
    // Through a send, whose aux channels follow the device feed: as
    // setVolume with column c standing for aux channel c (row 0 its output
    // gain, row r the crosspoint from file channel r - 1). Logs and does
    // nothing without a send.
    void setAuxVolume(float volume, std::uint32_t row, std::uint32_t column);
    // The meters of aux channel `channel`; 0 without a send.
    float outPostAveragePowerAtAuxChannel(std::uint32_t channel) const;
    float outPostPeakHoldLevelAtAuxChannel(std::uint32_t channel) const;

    // Render thread. Fills the feed with the mixer's output, silence when
    // invalid, hard-stopped or rebuilding. Never waits, never allocates.
    std::int32_t render(KivRenderFlags& flags, const KivRenderTimeStamp& timeStamp,
                        std::uint32_t busNumber, const AudioChannels& data) override;
    // Render thread: the chain's input end, the meta buffer's frames while
    // playing, else silence (so effect tails ring out after a stop); faded
    // in at a start inside the file, out at a stop and onto an end point.
    std::int32_t _finalRender(KivRenderFlags& flags, const KivRenderTimeStamp& timeStamp,
                              std::uint32_t busNumber, const AudioChannels& data);

    // "[%@ played to %@ through %@]", "[%@ played to %@]" or "[empty audio source]".
    std::string description() const override;

private:
    KivAudioSource(Scheduler& scheduler, const Clock& clock);

    // MatrixMixerInput: the chain's output end into the mixer's one input bus.
    std::int32_t renderBus(std::uint32_t bus, const AudioChannels& channels) override;
    // Render thread, `_renderMutex` held: takes a chain handed over, unless
    // the way to the last one still runs.
    void takeHandedOverChain();
    // Render thread: nothing sounds any more, so the next sound starts from silence.
    void closeEdges();
    // Render thread: a seek while the file plays; the sound it leaves fades
    // out under the one it goes to, unless that goes on where it was.
    void crossfadeToSeek(const AudioChannels& data);
    // Control thread: a stop the render thread has not faded out yet.
    bool stopStillToFade() const;
    // KivFadeTarget.
    float fadeVolume() override { return masterVolume(); }
    void setFadeVolume(float volume) override { setMasterVolume(volume); }
    bool fadeMayContinue() override { return _isPlaying.load(std::memory_order_acquire); }

    // `_controlMutex` held.
    void updateStream();
    // The effects changed: those that joined get units and formats, those
    // that left leave the stream, and the render path is handed the chain.
    void effectsChangedLocked();
    // Hands the render path a chain of the used effects' units: to take at
    // its next cycle and crossfade to while the source is attached (effects
    // moved against the chain before get new units, see
    // KivEffectChain::moved), at once otherwise. With `render` (the caller
    // holds `_renderMutex`, a rebuild) at once.
    void handOverChainLocked(std::unique_lock<std::mutex>* render = nullptr);
    // `_renderMutex` held: `chain` is the render path's from now on; every
    // other chain it holds or was handed goes.
    void installChain(std::unique_ptr<KivEffectChain> chain);
    // Nothing pulls the source any more: the chain handed over (or the one
    // the way leads to) is the render path's at once.
    void settleChainLocked();
    // A unit of the stream was replaced (a preset loaded): the chain follows.
    void unitReplaced();
    void stopAndDetachLocked();
    void endCleanupTimerLocked();
    void sendDidUpdateStream(const void* send);
    void detachLocked();
    bool finishedLocked() const;
    void updateDescriptionLocked();
    bool attachLocked();
    // Runs `f` on the mixer under `_mixerMutex` (shared); false without one.
    template <class F>
    bool withMixer(F&& f) const;
    // The feed channel of a send's aux channel; none without a send.
    std::optional<std::uint32_t> auxFeedChannel(std::uint32_t channel) const;

    Scheduler& _scheduler;
    const Clock& _clock;
    std::weak_ptr<KivAudioSource> _weakSelf;

    // Guarded by `_controlMutex`.
    mutable std::mutex _controlMutex;
    KivAudioSourceDelegate* _delegate = nullptr;
    std::shared_ptr<KivAlias> _alias;
    std::shared_ptr<KivAudioDevice> _device;
    std::shared_ptr<KivAudioSend> _send;
    std::unique_ptr<KivEffectBus> _effectBus;
    std::uint32_t _fileChannels = 0;
    std::uint32_t _mixerInChannels = 0;
    std::uint32_t _mixerOutChannels = 0;
    std::optional<KivAudioStreamDescription> _streamFormat;
    // Readable without `_controlMutex`: the device asks for them while the
    // source holds it (attach); written under it.
    std::atomic<KivAudioDevice*> _devicePointer{nullptr};
    mutable std::mutex _descriptionMutex;
    std::string _descriptionText;
    Scheduler::TimerId _cleanupTimer = 0;
    bool _hasCleanupTimer = false;
    Connection _sendObservation;

    // The graph. Swapped by rebuilds holding `_renderMutex`, the stream's
    // render lock and (for the mixer) `_mixerMutex`; read by the render
    // thread under `_renderMutex`, by gain setters under `_mixerMutex`.
    std::unique_ptr<KivStream> _stream;
    mutable std::shared_mutex _mixerMutex;
    std::unique_ptr<MatrixMixer> _mixer;
    std::unique_ptr<KivAudioMetaBuffer> _buffer; // also guarded by `_controlMutex`
    KivAudioMetaBufferWorker _bufferWorker = KivAudioMetaBufferWorker::Thread;
    KivReadFramesInfo _readInfo;
    // Held by rebuilds; the render path only try-locks it.
    std::mutex _renderMutex;

    // The effect chain. The control thread hands one over here (taking back
    // one the render thread has not taken yet)...
    std::atomic<KivEffectChain*> _handedOverChain{nullptr};
    // ... the render thread runs `_chain` (and while the way to it runs, the
    // chain it follows, `_leavingChain`), and retires what it leaves. Written
    // by the control thread only under `_renderMutex` or while detached.
    KivEffectChain* _chain = nullptr;
    KivEffectChain* _leavingChain = nullptr;
    std::uint32_t _transitionDone = 0; // frames of the way to `_chain` rendered
    KivRetireList _leftChains;
    // `_controlMutex`: the last chain handed over (the next one follows it),
    // what the render thread runs while that one waits to be taken, and
    // whether a device may be pulling the source.
    KivEffectChain* _lastChain = nullptr;
    KivEffectChain* _waitingFollows = nullptr;
    bool _attached = false;
    std::vector<float> _scratch;        // feeds channels nobody reads
    std::vector<float*> _chainChannels; // the chain's buffers for one call
    // Where the sound a seek leaves is read, to fade out under the new one.
    std::vector<float> _tail;
    std::vector<float*> _tailChannels;
    std::uint32_t _scratchFrames = 0;
    KivRenderFlags* _cycleFlags = nullptr;               // render thread, during one render
    const KivRenderTimeStamp* _cycleTimeStamp = nullptr; // render thread, during one render

    // Written by the actions and rebuilds, read by the render thread.
    std::atomic<bool> _validStream{false};
    std::atomic<bool> _isPlaying{false};
    std::atomic<bool> _hardStopped{false};
    std::atomic<bool> _devampPending{false};
    // Set by _play: the mixer takes its gains at once rather than ramping
    // from the ones it had when it last played (a cue played again after a
    // fade-out starts at its volume on its first frame).
    std::atomic<bool> _jumpGainsPending{false};
    // Clock seconds of the last stop; NaN while not stopped.
    std::atomic<double> _timeWeWereStopped;
    // Render cycles that found the graph rebuilding.
    std::atomic<std::uint64_t> _missedCycles{0};
    // Written by the render thread, read by the cleanup check. Whether the
    // last cycle let the file through to the chain, and whether the feed
    // may have sounded (an effect's tail included): a change of what the
    // actions ask for fades in or out from there (see KivEdgeRamp).
    std::atomic<bool> _inputOpen{false};
    std::atomic<bool> _outputOpen{false};
    bool _hardStopFading = false; // render thread, for the length of one render
    // `_controlMutex`: the cleanup check found a stop still to fade once and
    // let the source be pulled one more round.
    bool _detachDeferred = false;
    RenderLogLimiter _renderErrors; // render thread

    SteadyClock _steadyClock;
    std::unique_ptr<KivFadeRunner> _fades;
};
