#pragma once

#include "platform/audio/AudioBackend.h"

#include <atomic>
#include <functional>
#include <string>
#include <vector>

typedef struct _jack_client jack_client_t;
typedef struct _jack_port jack_port_t;

// One JACK client per opened stream, with one output port per channel
// connected in order to the server's physical playback ports. Several
// openers of the device are several clients: the server mixes them, and
// gives each a unique name. JACK's process thread is the render thread.
// An xrun and the server's shutdown are flagged for the backend's
// notification thread, never reported from JACK's threads. The owner
// serialises open, start, stop, release and destruction (libjack's client
// calls are not safe against a client open on another thread once the
// server has gone); the process thread takes no lock.
class JackOutputStream : public AudioOutputStream {
public:
    // Called from JACK's threads without allocating after a flag was raised.
    using Wake = std::function<void()>;

    // Null, with a logged reason, when the server is not reachable or the
    // ports cannot be registered. The stream runs at the server's rate and
    // buffer size, in separate channels, whatever was asked.
    static std::unique_ptr<JackOutputStream> open(const std::string& serverName,
                                                  const std::string& uid,
                                                  const AudioStreamConfig& config,
                                                  AudioRenderCallback& callback, Wake wake);
    ~JackOutputStream() override;

    AudioStreamConfig config() const override { return _config; }
    bool start() override;
    void stop() override;
    bool isRunning() const override { return _running.load(std::memory_order_acquire); }

    const std::string& uid() const { return _uid; }

    // The server is gone: closes the client now, since libjack frees every
    // client of a dead server at the next client open anywhere in the
    // process. Reports the death unless the server's shutdown call did.
    void release();

    // Notification thread: take and clear the flags JACK's threads raised.
    bool takeOverload() { return _overloaded.exchange(false, std::memory_order_acq_rel); }
    bool takeDeath() { return _died.exchange(false, std::memory_order_acq_rel); }

private:
    JackOutputStream(jack_client_t* client, std::string uid, const AudioStreamConfig& config,
                     AudioRenderCallback& callback, Wake wake);
    static int process(std::uint32_t frames, void* self);
    static int xrun(void* self);
    static void shutdown(void* self);
    void waitOutCycle() const;

    jack_client_t* _client; // control threads, serialised by the owner; null once released
    const std::string _uid;
    const AudioStreamConfig _config;
    AudioRenderCallback& _callback;
    const Wake _wake;
    std::vector<jack_port_t*> _ports;      // fixed once open
    std::vector<float*> _planes;           // render thread only; sized once open
    std::uint64_t _sampleTime = 0;         // render thread only
    std::atomic<std::uint64_t> _cycles{0}; // odd while a cycle runs; render thread writes
    std::atomic<bool> _running{false};     // start/stop write, the render thread reads
    std::atomic<bool> _overloaded{false};  // JACK's threads raise, notification thread takes
    std::atomic<bool> _died{false};        // likewise
    std::atomic<bool> _gone{false};        // raised once, by the shutdown call or release()
};
