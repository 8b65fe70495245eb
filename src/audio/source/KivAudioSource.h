#pragma once

#include "audio/core/KivAudioStreamDescription.h"
#include "audio/device/KivActionInfo.h"
#include "audio/device/KivAudioPlayable.h"
#include "audio/render/MatrixMixerParameters.h"
#include "audio/source/KivAudioSourceDelegate.h"
#include "audio/source/KivSourceGraph.h"
#include "audio/source/KivSourceRoute.h"
#include "foundation/Clock.h"
#include "foundation/MainRunLoop.h"
#include "foundation/Scheduler.h"
#include "foundation/Signal.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

class KivAlias;
class KivAudioDevice;
class KivAudioSend;
class KivEffect;
class KivEffectBus;
class KivStream;

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
// The source keeps its configuration and transport; its graph, the rebuilds
// that swap it and what the render thread runs are a KivSourceGraph, whose
// read-ahead is a KivSourceReader, gains and fades a KivSourceGains and
// effect chain hand-over a KivChainHandover.
class KivAudioSource final : public KivAudioPlayable {
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
    KivAudioDevice* device() const override { return _route.device(); }
    std::shared_ptr<KivAudioDevice> sharedDevice() const;
    // Stops and detaches from the old device, lets go of its use count and
    // engages the new one (opening it when closed).
    void setDevice(std::shared_ptr<KivAudioDevice> device);
    std::shared_ptr<KivAudioSend> send() const;
    void setSend(std::shared_ptr<KivAudioSend> send);
    // The meta buffer's slice list; empty without a file.
    nlohmann::json slices() const { return askReader(&KivSourceReader::slices); }
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
    bool isValid() const { return _graph.isValid(); }
    std::uint32_t fileChannels() const;
    // 0 with a file, else the device's input channels.
    std::uint32_t micChannels() const;
    KivAudioSourceDelegate* delegate() const;
    void setDelegate(KivAudioSourceDelegate* delegate);

    // Times in seconds, from the meta buffer; control thread.
    double fileLengthInSeconds() const { return askReader(&KivSourceReader::fileLengthInSeconds); }
    double audioLengthInSeconds() const {
        return askReader(&KivSourceReader::audioLengthInSeconds);
    }
    double elapsedPlayTime() const { return askReader(&KivSourceReader::elapsedPlayTime); }
    double elapsedLogicalTime() const { return askReader(&KivSourceReader::elapsedLogicalTime); }
    double timeUntilLoop() const { return askReader(&KivSourceReader::timeUntilLoop); }
    double currentFileTime() const { return askReader(&KivSourceReader::currentFileTime); }
    double startTime() const { return askReader(&KivSourceReader::startTime); }
    double endTime() const { return askReader(&KivSourceReader::endTime); }
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
    bool isPlaying() const { return _graph.isPlaying(); }
    bool wasStopped() const { return _graph.wasStopped(); }
    bool isFinished() const;

    // The synchronised actions; run where the device runs them.
    void _play() { _graph.play(); }
    void _stop() { _graph.stop(); }
    void _hardStop() { _graph.hardStop(); }
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
    float masterVolume() const { return _graph.gains().masterVolume(); }
    void setMasterVolume(float volume) { _graph.gains().setMasterVolume(volume); }
    void setInputVolume(float volume, std::uint32_t channel) {
        _graph.gains().setInputVolume(volume, channel);
    }
    void setOutputVolume(float volume, std::uint32_t channel) {
        _graph.gains().setOutputVolume(volume, channel);
    }
    void setCrosspointVolume(float volume, std::uint32_t input, std::uint32_t output) {
        _graph.gains().setCrosspointVolume(volume, input, output);
    }
    void setVolume(float volume, std::uint32_t row, std::uint32_t column) {
        _graph.gains().setVolume(volume, row, column);
    }
    void setSilentVolumes() { _graph.gains().setSilentVolumes(); }
    // Master, inputs and outputs 1, file channel i to feed channel i at 1.
    void setDefaultVolumes();
    // A raised-cosine fade of the master in 10 ms steps that runs only while
    // the source plays; a newer fade ends an older one.
    void fadeToMasterVolume(float volume, double time) {
        _graph.gains().fadeToMasterVolume(volume, time);
    }
    // Tests and offline rendering: fades step only in stepFades() at `clock`'s
    // time; the clock must outlive the source.
    void useSteppedFades(const Clock& clock) { _graph.gains().useSteppedFades(clock); }
    std::size_t stepFades() { return _graph.gains().stepFades(); }
    // Tests: rebuilds from now on make meta buffers whose read-ahead runs
    // only in tendBuffers(), on the caller's thread.
    void useManualBuffers();
    void tendBuffers();
    // Render cycles that found the graph rebuilding (and played silence).
    std::uint64_t missedCycles() const { return _graph.missedCycles(); }
    // Control thread. Frames the read-ahead could not supply in time (played
    // as silence) since the last rebuild.
    std::uint64_t droppedFrames() const { return askReader(&KivSourceReader::droppedFrames); }

    // Post-fader meters of a feed channel, in dB; the floor without a valid
    // stream. A side's meters run from the first read on.
    float outPostAveragePowerAtChannel(std::uint32_t channel) const {
        return _graph.gains().outPostAveragePowerAtChannel(channel);
    }
    float outPostPeakHoldLevelAtChannel(std::uint32_t channel) const {
        return _graph.gains().outPostPeakHoldLevelAtChannel(channel);
    }
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
    std::int32_t render(KivRenderFlags&, const KivRenderTimeStamp&, std::uint32_t,
                        const AudioChannels& data) override {
        return _graph.render(data);
    }
    // Render thread: the chain's input end, the meta buffer's frames while
    // playing, else silence (so effect tails ring out after a stop); faded
    // in at a start inside the file, out at a stop and onto an end point.
    std::int32_t _finalRender(KivRenderFlags&, const KivRenderTimeStamp&, std::uint32_t,
                              const AudioChannels& data) {
        _graph.finalRender(data);
        return 0;
    }

    // "[%@ played to %@ through %@]", "[%@ played to %@]" or "[empty audio source]".
    std::string description() const override;

private:
    KivAudioSource(Scheduler& scheduler, const Clock& clock);

    // `_controlMutex` held.
    void updateStream();
    // A unit of the stream was replaced (a preset loaded): the chain follows.
    void unitReplaced();
    void stopAndDetachLocked();
    void endCleanupTimerLocked();
    void sendDidUpdateStream(const void* send);
    void detachLocked();
    void updateDescriptionLocked();
    // The feed channel of a send's aux channel; none without a send.
    std::optional<std::uint32_t> auxFeedChannel(std::uint32_t channel) const;
    // Asks the reader under `_controlMutex`.
    template <class R>
    R askReader(R (KivSourceReader::*query)() const) const {
        std::lock_guard control(_controlMutex);
        return (_graph.reader().*query)();
    }

    Scheduler& _scheduler;
    const Clock& _clock;
    std::weak_ptr<KivAudioSource> _weakSelf;

    // Guarded by `_controlMutex`.
    mutable std::mutex _controlMutex;
    KivAudioSourceDelegate* _delegate = nullptr;
    std::shared_ptr<KivAlias> _alias;
    KivSourceRoute _route;
    mutable std::mutex _descriptionMutex;
    std::string _descriptionText;
    Scheduler::TimerId _cleanupTimer = 0;
    bool _hasCleanupTimer = false;
    // The cleanup check found a stop still to fade once and let the source
    // be pulled one more round.
    bool _detachDeferred = false;
    Connection _sendObservation;

    // Its control side guarded by `_controlMutex`; see KivSourceGraph.
    KivSourceGraph _graph;
};
