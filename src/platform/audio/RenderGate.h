#pragma once

#include "platform/audio/AudioRenderCallback.h"

#include <atomic>

// Stands between a stream and the callback it renders into, so that the
// callback can be let go at once while the stream itself stops later, on a
// thread that may wait on its library: once close() returns, the callback is
// never called again, whatever the stream still does. A closed gate leaves
// the silenced buffer as it came. The render thread never waits on it.
class RenderGate final : public AudioRenderCallback {
public:
    explicit RenderGate(AudioRenderCallback& target)
        : _target(target) {}

    // Control threads.
    void open() { _open.store(true); }
    // Waits out a cycle under way, which is the target's own work and short.
    void close();

    void render(const AudioRenderTime& time, const AudioOutputBuffer& buffer) noexcept override;

private:
    AudioRenderCallback& _target;
    // Sequentially consistent, both: a cycle that saw the gate open is seen
    // inside by close(), else it saw the gate closed.
    std::atomic<bool> _open{false};
    std::atomic<int> _inside{0};
};
