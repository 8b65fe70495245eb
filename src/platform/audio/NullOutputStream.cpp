#include "platform/audio/NullOutputStream.h"

#include "foundation/KivClock.h"
#include "foundation/ThreadRole.h"
#include "platform/audio/RealtimeThread.h"

#include <cerrno>
#include <ctime>

NullOutputStream::NullOutputStream(const AudioStreamConfig& config, AudioRenderCallback& callback)
    : _config(config)
    , _callback(callback)
    , _buffer(config.channels, config.framesPerBuffer, config.interleaved) {}

NullOutputStream::~NullOutputStream() {
    stop();
}

bool NullOutputStream::start() {
    if (_thread.joinable()) {
        return true;
    }
    _running.store(true, std::memory_order_release);
    _thread = std::thread([this] { run(); });
    return true;
}

void NullOutputStream::stop() {
    _running.store(false, std::memory_order_release);
    if (_thread.joinable()) {
        _thread.join();
    }
}

void NullOutputStream::run() {
    ScopedThreadRole role(ThreadRole::Render);
    requestRealtimeScheduling("null output");
    const std::uint64_t period =
        static_cast<std::uint64_t>(1e9 * _config.framesPerBuffer / _config.sampleRate);
    timespec deadline{};
    clock_gettime(CLOCK_MONOTONIC, &deadline);
    while (_running.load(std::memory_order_acquire)) {
        const AudioOutputBuffer buffer = _buffer.prepare(_config.framesPerBuffer);
        _callback.render(AudioRenderTime{_sampleTime, HostTimeNow()}, buffer);
        _sampleTime += buffer.frames;

        std::uint64_t next = static_cast<std::uint64_t>(deadline.tv_sec) * 1000000000ull +
                             static_cast<std::uint64_t>(deadline.tv_nsec) + period;
        // A cycle that overran its period starts the next one now rather than
        // rendering a burst to catch up.
        const std::uint64_t now = HostTimeNow();
        if (next < now) {
            next = now;
        }
        deadline.tv_sec = static_cast<time_t>(next / 1000000000ull);
        deadline.tv_nsec = static_cast<long>(next % 1000000000ull);
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {
        }
    }
}
