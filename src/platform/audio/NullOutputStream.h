#pragma once

#include "platform/audio/AudioBackend.h"
#include "platform/audio/RenderBuffer.h"

#include <atomic>
#include <thread>

// Renders one buffer per period against absolute deadlines of the monotonic
// clock, so the pace does not drift with the time the callback takes.
class NullOutputStream : public AudioOutputStream {
public:
    NullOutputStream(const AudioStreamConfig& config, AudioRenderCallback& callback);
    ~NullOutputStream() override;

    AudioStreamConfig config() const override { return _config; }
    bool start() override;
    void stop() override;
    bool isRunning() const override { return _thread.joinable(); }

private:
    void run();

    const AudioStreamConfig _config;
    AudioRenderCallback& _callback;
    RenderBuffer _buffer;              // render thread only
    std::uint64_t _sampleTime = 0;     // render thread only
    std::atomic<bool> _running{false}; // written by start/stop, read by the render thread
    std::thread _thread;
};
