#pragma once

#include "platform/audio/AudioBackend.h"
#include "platform/audio/RenderBuffer.h"

#include <string>

class OfflineBackend;

// A test backend's stream (OfflineBackend.h); its render thread is whoever calls
// OfflineBackend::render().
class OfflineOutputStream : public AudioOutputStream {
public:
    OfflineOutputStream(OfflineBackend& backend, std::string uid, const AudioStreamConfig& config,
                        AudioRenderCallback& callback);
    ~OfflineOutputStream() override;

    AudioStreamConfig config() const override { return _config; }
    bool start() override;
    void stop() override;
    bool isRunning() const override { return _running; }

    const std::string& uid() const { return _uid; }
    // Renders one cycle and appends it, interleaved, to `capture`.
    void renderCycle(std::uint32_t frames, std::vector<float>& capture);

private:
    OfflineBackend& _backend;
    const std::string _uid;
    const AudioStreamConfig _config;
    AudioRenderCallback& _callback;
    RenderBuffer _buffer;
    std::uint64_t _sampleTime = 0;
    bool _running = false; // guarded by the backend's mutex
};
