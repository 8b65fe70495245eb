#pragma once

#include "audio/core/KivAudioStreamDescription.h"
#include "audio/render/MatrixMixerInput.h"
#include "audio/source/KivChainHandover.h"
#include "audio/source/KivSourceGains.h"
#include "audio/source/KivSourceReader.h"
#include "foundation/Clock.h"
#include "foundation/RenderLogLimiter.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

class KivAlias;
class KivEffect;
class KivEffectBus;
class KivStream;

// The render side of a KivAudioSource: its pull graph (read-ahead -> effect
// chain -> the source's own mixer), the rebuilds that swap it, and the flags
// the synchronised actions set for the render thread to follow.
//
// Threads:
// - control threads, under the owning source's control lock: create, the
//   rebuild, the effects, attach state, teardown. The render thread never
//   takes that lock.
// - the render thread: render() and finalRender(); the actions (play, stop,
//   hardStop, devamp) only set atomics, wherever the device runs them.
//
// A rebuild (a new file, device or send) holds `_renderMutex` while it swaps
// the graph; the render path only try-locks it and plays silence meanwhile,
// so a rebuild never stalls the device's other buses. Files are opened and
// read-ahead workers stopped outside that lock. An effect change is no
// rebuild: new units are made and prepared on the control thread, and the
// render thread is handed a new KivEffectChain (see KivChainHandover).
class KivSourceGraph final : private MatrixMixerInput {
public:
    explicit KivSourceGraph(const Clock& clock);
    ~KivSourceGraph();
    KivSourceGraph(const KivSourceGraph&) = delete;
    KivSourceGraph& operator=(const KivSourceGraph&) = delete;

    // Main thread, once. False when no stream could be made.
    bool createStream();
    // Called when a unit of the stream is replaced (a preset loaded).
    void setUnitReplacedHandler(std::function<void()> handler);
    // Control thread, once nothing pulls the source: unhooks and destroys
    // the stream; answers the meta buffer, whose worker the caller stops
    // outside its locks.
    std::unique_ptr<KivAudioMetaBuffer> teardown();

    // Builds the graph again for `alias` into `outFormat` (the feed of a
    // device or send); none without a device, file or format.
    void rebuild(const std::shared_ptr<KivAlias>& alias,
                 const std::optional<KivAudioStreamDescription>& outFormat, bool hasDevice);
    bool isValid() const { return _validStream.load(std::memory_order_acquire); }
    std::uint32_t fileChannels() const { return _fileChannels; }
    KivSourceReader& reader() { return _reader; }
    const KivSourceReader& reader() const { return _reader; }
    KivSourceGains& gains() { return _gains; }
    const KivSourceGains& gains() const { return _gains; }

    std::vector<std::shared_ptr<KivEffect>> effects() const;
    void setEffects(std::vector<std::shared_ptr<KivEffect>> effects);
    // Ignored (false) for null or an effect already in the chain.
    bool addEffect(const std::shared_ptr<KivEffect>& effect);
    // Ignored (false) for null or an effect not in the chain.
    bool removeEffect(const std::shared_ptr<KivEffect>& effect);
    double tailTime() const;
    // A unit of the stream was replaced: the chain follows.
    void unitReplaced();

    // A device may pull the source from now on: effect changes crossfade.
    void attached() { _attached = true; }
    // Nothing pulls the source any more: the chain handed over is taken at once.
    void detached();
    void freeLeftChains() { _chains.freeLeft(); }

    // The actions, where the device runs them.
    void play();
    void stop();
    void hardStop();
    void devamp() { _reader.requestDevamp(); }
    // Control thread: a new play forgets the last stop; a detach ends both.
    void clearStopTime();
    void endPlay();
    bool isPlaying() const { return _isPlaying.load(std::memory_order_acquire); }
    bool wasStopped() const;
    // A stop the render thread has not faded out yet.
    bool stopStillToFade() const;
    // Stopped or played out, effect tails included, by the clock's time.
    bool finished() const;
    std::uint64_t missedCycles() const { return _missedCycles.load(); }

    // Render thread; see KivAudioSource::render and _finalRender.
    std::int32_t render(const AudioChannels& data);
    void finalRender(const AudioChannels& data);

private:
    // MatrixMixerInput: the chain's output end into the mixer's one input bus.
    std::int32_t renderBus(std::uint32_t bus, const AudioChannels& channels) override;
    // Render thread: nothing sounds any more, so the next sound starts from silence.
    void closeEdges();
    // The effects changed: those that joined get units and formats, those
    // that left leave the stream, and the render path is handed the chain.
    void effectsChanged();
    // Hands the render path a chain of the used effects' units: to take at
    // its next cycle and crossfade to while the source is attached (effects
    // moved against the chain before get new units, see
    // KivEffectChain::moved), at once otherwise. With `render` (the caller
    // holds `_renderMutex`, a rebuild) at once.
    void handOverChain(std::unique_lock<std::mutex>* render = nullptr);

    const Clock& _clock;
    // Control thread.
    std::unique_ptr<KivEffectBus> _effectBus;
    std::uint32_t _fileChannels = 0;
    std::uint32_t _mixerInChannels = 0;
    std::optional<KivAudioStreamDescription> _streamFormat;
    // Whether a device may be pulling the source.
    bool _attached = false;

    // Swapped by rebuilds holding `_renderMutex` and the stream's render
    // lock; read by the render thread under `_renderMutex`.
    std::unique_ptr<KivStream> _stream;
    KivSourceReader _reader;
    KivChainHandover _chains;
    // Held by rebuilds; the render path only try-locks it.
    std::mutex _renderMutex;
    std::vector<float> _scratch;        // feeds channels nobody reads
    std::vector<float*> _chainChannels; // the chain's buffers for one call
    std::uint32_t _scratchFrames = 0;

    // Written by the actions and rebuilds, read by the render thread.
    std::atomic<bool> _validStream{false};
    std::atomic<bool> _isPlaying{false};
    std::atomic<bool> _hardStopped{false};
    // Set by play(): the mixer takes its gains at once rather than ramping
    // from the ones it had when it last played (a cue played again after a
    // fade-out starts at its volume on its first frame).
    std::atomic<bool> _jumpGainsPending{false};
    // Clock seconds of the last stop; NaN while not stopped.
    std::atomic<double> _timeWeWereStopped;
    // Render cycles that found the graph rebuilding.
    std::atomic<std::uint64_t> _missedCycles{0};
    // Written by the render thread, read by the cleanup check: whether the
    // feed may have sounded (an effect's tail included). With the reader's
    // input edge, a change of what the actions ask for fades in or out from
    // there (see KivEdgeRamp).
    std::atomic<bool> _outputOpen{false};
    bool _hardStopFading = false;   // render thread, for the length of one render
    RenderLogLimiter _renderErrors; // render thread

    // The mixer's gains and the master fades; after the flags they read.
    KivSourceGains _gains;
};
