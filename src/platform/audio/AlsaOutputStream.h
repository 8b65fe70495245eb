#pragma once

#include "platform/audio/AudioBackend.h"
#include "platform/audio/RenderBuffer.h"

#include <atomic>
#include <functional>
#include <string>
#include <thread>

typedef struct _snd_pcm snd_pcm_t;
class AlsaConfiguration;

// A blocking ALSA playback stream in 32-bit float, driven by a render thread
// that renders one period and writes it. Overruns and a vanished device are
// flagged for the backend's notification thread, never reported from here.
class AlsaOutputStream : public AudioOutputStream {
public:
    // Render thread: called without allocating after a flag was raised, so
    // the owner can wake its notification thread.
    using Wake = std::function<void()>;

    // Null, with a logged reason, when the PCM does not open or takes none of
    // the parameters.
    static std::unique_ptr<AlsaOutputStream> open(const AlsaConfiguration& configuration,
                                                  const std::string& uid,
                                                  const AudioStreamConfig& config,
                                                  AudioRenderCallback& callback, Wake wake);
    ~AlsaOutputStream() override;

    AudioStreamConfig config() const override { return _config; }
    bool start() override;
    void stop() override;
    bool isRunning() const override { return _thread.joinable(); }

    const std::string& uid() const { return _uid; }

    // One period: render it, then write it, blocking until ALSA takes it.
    // Answers false once the device is gone. The render thread calls it in a
    // loop; a test may step a stream that was never started.
    bool renderCycle();

    // Notification thread: take and clear the flags the render thread raised.
    bool takeOverload() { return _overloaded.exchange(false, std::memory_order_acq_rel); }
    bool takeDeath() { return _died.exchange(false, std::memory_order_acq_rel); }

private:
    AlsaOutputStream(snd_pcm_t* pcm, std::string uid, const AudioStreamConfig& config,
                     AudioRenderCallback& callback, Wake wake);
    bool write(const AudioOutputBuffer& buffer);
    void run();

    snd_pcm_t* _pcm;
    const std::string _uid;
    const AudioStreamConfig _config;
    AudioRenderCallback& _callback;
    const Wake _wake;
    RenderBuffer _buffer;                 // render thread only
    std::uint64_t _sampleTime = 0;        // render thread only
    std::atomic<bool> _running{false};    // start/stop write, the render thread reads
    std::atomic<bool> _overloaded{false}; // render thread raises, notification thread takes
    std::atomic<bool> _died{false};       // likewise
    bool _gone = false;                   // render thread only
    std::thread _thread;
};
