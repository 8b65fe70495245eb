#pragma once

#include "audio/device/KivAudioNotifications.h"
#include "foundation/RenderLogLimiter.h"
#include "platform/audio/AudioRenderCallback.h"

#include <atomic>
#include <cstdint>

// The last guard before the speakers: whatever let a NaN or an infinity
// through upstream, a device's block goes out silent, counted and warned of
// (once a second at most).
class KivDeviceSafetyNet {
public:
    explicit KivDeviceSafetyNet(AudioObjectID deviceID)
        : _deviceID(deviceID) {}

    // Control thread, while no render cycle runs: the rate the warnings'
    // times are counted at.
    void setRate(double rate) { _rate = rate; }
    // Render thread, at the end of each cycle. Allocates nothing.
    void silenceNonFinite(const AudioRenderTime& time, const AudioOutputBuffer& buffer) noexcept;
    // Any thread: blocks silenced so far.
    std::uint64_t count() const { return _blocks.load(std::memory_order_relaxed); }

private:
    const AudioObjectID _deviceID;
    double _rate = 0.0;
    // The render thread counts and warns; anyone reads the count.
    std::atomic<std::uint64_t> _blocks{0};
    RenderLogLimiter _warnings;
};
