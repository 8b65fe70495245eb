#pragma once

#include "audio/render/KivAudioBuses.h"
#include "audio/render/KivAudioRendering.h"
#include "audio/render/KivRenderInfo.h"
#include "audio/render/MatrixMixer.h"
#include "audio/render/MatrixMixerInput.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

// The input buses of an open device's mixer: which are free, which object is
// attached to which bus, and the render map through which the render thread
// pulls each attached object. Made when the device opens (all buses free and
// disabled), dropped when it closes, after its output has stopped.
//
// Threads:
// - control threads (main, MIDI delivery, device notification): attach,
//   detach and the queries, serialised by `_control`;
// - the render thread: pull() only. It takes no lock and allocates nothing:
//   each bus's renderer is published through an atomic pointer, and detach()
//   unpublishes it and then waits for a pull in progress to end, so once
//   detach() returns the render thread never calls the object again. So
//   never call detach() while holding a lock that a renderer takes (a
//   source's render mutex): the device's bus level comes before it in the
//   lock order.
class KivAudioBusMap : private MatrixMixerInput {
public:
    // Control thread. Every bus of `mixer` is free and disabled. The mixer
    // must outlive this map.
    explicit KivAudioBusMap(MatrixMixer& mixer);
    KivAudioBusMap(const KivAudioBusMap&) = delete;
    KivAudioBusMap& operator=(const KivAudioBusMap&) = delete;

    // Control thread. Gives `thing` the first free bus, fills its render-map
    // entry and enables the bus. Answers true when attached (already attached
    // counts, on the bus it has). `deviceName` and `thingName` are for the
    // log: a trace line at log level 3, and the error line when no bus is left.
    bool attach(KivAudioRendering& thing, std::string_view deviceName, std::string_view thingName);
    // Control thread. Disables the bus of `thing`, clears its entry and puts
    // the bus at the front of the free list, so it is the next one taken.
    // Not from inside pull().
    void detach(KivAudioRendering& thing, std::string_view deviceName, std::string_view thingName);

    // Control thread.
    std::optional<std::uint32_t> busOf(const KivAudioRendering& thing) const;
    std::vector<KivAudioRendering*> attached() const; // in attach order
    std::uint32_t freeBusCount() const;
    std::uint32_t busCount() const { return _busCount; }

    // Render thread, once per cycle: mixes every enabled bus, pulling each
    // bus's renderer with its own bus number 0. An entry with no renderer
    // gives silence. Answers the mixer's status.
    std::int32_t pull(KivRenderFlags& flags, const KivRenderTimeStamp& timeStamp,
                      const AudioChannels& outputs);

private:
    std::int32_t renderBus(std::uint32_t bus, const AudioChannels& channels) override;
    void awaitPullEnd();

    MatrixMixer& _mixer;
    const std::uint32_t _busCount;

    // Guarded by `_control`.
    mutable std::mutex _control;
    std::deque<std::uint32_t> _freeBusses; // the front is taken first
    std::vector<KivAudioRendering*> _attachedAudio;
    std::unordered_map<const KivAudioRendering*, std::uint32_t> _audioToUsedBus;

    // Entry b is written by control threads only while bus b is unpublished
    // and no pull can still read it; read by the render thread through
    // `_published`.
    KivRenderInfoList _renderMap;
    // Control threads write, the render thread reads.
    std::unique_ptr<std::atomic<const KivRenderInfo*>[]> _published;

    // Written by the render thread, read by detach().
    std::atomic<bool> _pulling{false};
    std::atomic<std::uint32_t> _pullsEnded{0};

    // Render thread only, for the length of one pull.
    KivRenderFlags* _cycleFlags = nullptr;
    const KivRenderTimeStamp* _cycleTimeStamp = nullptr;
};
