#include "platform/audio/OfflineOutputStream.h"

#include "foundation/KivClock.h"
#include "foundation/ThreadRole.h"
#include "platform/audio/OfflineBackend.h"

OfflineOutputStream::OfflineOutputStream(OfflineBackend& backend, std::string uid,
                                         const AudioStreamConfig& config,
                                         AudioRenderCallback& callback)
    : _backend(backend)
    , _uid(std::move(uid))
    , _config(config)
    , _callback(callback)
    , _buffer(config.channels, config.framesPerBuffer, config.interleaved) {}

OfflineOutputStream::~OfflineOutputStream() {
    _backend.removeStream(this);
}

bool OfflineOutputStream::start() {
    std::lock_guard lock(_backend._mutex);
    _running = true;
    return true;
}

void OfflineOutputStream::stop() {
    std::lock_guard lock(_backend._mutex);
    _running = false;
}

void OfflineOutputStream::renderCycle(std::uint32_t frames, std::vector<float>& capture) {
    const AudioOutputBuffer buffer = _buffer.prepare(frames);
    {
        ScopedThreadRole role(ThreadRole::Render);
        _callback.render(AudioRenderTime{_sampleTime, HostTimeNow()}, buffer);
    }
    _sampleTime += buffer.frames;
    for (std::uint32_t f = 0; f < buffer.frames; ++f) {
        for (std::uint32_t c = 0; c < buffer.channels; ++c) {
            capture.push_back(buffer.interleaved ? buffer.data[0][f * buffer.channels + c]
                                                 : buffer.data[c][f]);
        }
    }
}
