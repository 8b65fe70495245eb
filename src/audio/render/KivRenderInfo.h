#pragma once

#include "audio/core/AudioChannels.h"

#include <cstdint>
#include <memory>

// The records through which the render thread calls renderers and frame
// readers without any dispatch: a target, the name of the operation (for
// logs and debugging) and the direct function that performs it on that
// target. None owns what it points to. A record without a target or a method
// is skipped: calling it does nothing.

// Flags passed in and out of a render call (the platform's action flags).
using KivRenderFlags = std::uint32_t;

// When a render cycle's first frame is heard.
struct KivRenderTimeStamp {
    double sampleTime = 0.0;    // frames since the output started
    std::uint64_t hostTime = 0; // host ticks (KivClock.h)
};

// Render call: fills every non-null channel of `data` with data.frameCount
// frames (silence when there is nothing to play) and returns a status, 0 for
// success. `busNumber` is the renderer's own input bus.
using KivRenderMethod = std::int32_t (*)(void* target, const char* selector, KivRenderFlags& flags,
                                         const KivRenderTimeStamp& timeStamp,
                                         std::uint32_t busNumber, const AudioChannels& data);

struct KivRenderInfo {
    void* target = nullptr;
    const char* selector = nullptr;
    KivRenderMethod method = nullptr;

    bool isSet() const { return target != nullptr && method != nullptr; }
    void clear() { *this = {}; }

    // Render thread. An unset record renders nothing and answers 0.
    std::int32_t call(KivRenderFlags& flags, const KivRenderTimeStamp& timeStamp,
                      std::uint32_t busNumber, const AudioChannels& data) const {
        return isSet() ? method(target, selector, flags, timeStamp, busNumber, data) : 0;
    }

    // A record calling `Member` of `object`, for callbacks other than
    // KivAudioRendering::render (a device's own bus or notification callback).
    template <class T, std::int32_t (T::*Member)(KivRenderFlags&, const KivRenderTimeStamp&,
                                                 std::uint32_t, const AudioChannels&)>
    static KivRenderInfo bind(T* object, const char* selector) {
        return {object, selector,
                [](void* target, const char*, KivRenderFlags& flags,
                   const KivRenderTimeStamp& timeStamp, std::uint32_t bus,
                   const AudioChannels& data) -> std::int32_t {
                    return (static_cast<T*>(target)->*Member)(flags, timeStamp, bus, data);
                }};
    }
};

// Frame-reader call: writes up to `frames` frames into `destination` from
// frame `offset` on, silences the rest of the requested frames and answers
// the number of frames produced.
using KivReadFramesMethod = std::uint32_t (*)(void* target, const char* selector,
                                              std::uint32_t frames,
                                              const AudioChannels& destination,
                                              std::uint32_t offset);

struct KivReadFramesInfo {
    void* target = nullptr;
    const char* selector = nullptr;
    KivReadFramesMethod method = nullptr;

    bool isSet() const { return target != nullptr && method != nullptr; }
    void clear() { *this = {}; }

    // Render thread. An unset record produces no frames and writes nothing.
    std::uint32_t call(std::uint32_t frames, const AudioChannels& destination,
                       std::uint32_t offset) const {
        return isSet() ? method(target, selector, frames, destination, offset) : 0;
    }
};

// A render map: entry b is the renderer of mixer input bus b. Its storage
// holds one entry more than `count`, all unset when made, so a walk may stop
// at the first unset entry past the end.
struct KivRenderInfoList {
    std::uint32_t count = 0;
    std::unique_ptr<KivRenderInfo[]> entries;

    static KivRenderInfoList make(std::uint32_t count) {
        return {count, std::make_unique<KivRenderInfo[]>(std::size_t(count) + 1)};
    }
};
