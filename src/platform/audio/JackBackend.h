#pragma once

#include "platform/audio/BackendBase.h"
#include "platform/audio/BackendMonitor.h"

#include <atomic>
#include <memory>
#include <mutex>

typedef struct _jack_client jack_client_t;
class JackOutputStream;

// Output through a JACK server, never started by us. The server is one
// device, listed while it is reachable, under the server's own name: the
// one asked for, else the one the environment's JACK_DEFAULT_SERVER names,
// else "default" (uid "jack:<name>"; named "JACK", or "JACK (<name>)" for a
// server of another name), so that a show saved on a server reopens on it. A client of the
// backend's own watches it: a monitor thread, the backend's notification thread, opens that client
// when a server appears (trying again every second while none runs), drops it when the server shuts
// down, and reports a changed list, a changed rate or buffer size, and the xruns and deaths the
// streams flag.
class JackBackend : public BackendBase<JackOutputStream> {
public:
    struct Options {
        // The server to reach; empty for the default server.
        std::string serverName;
        // Whether the monitor thread runs. Without it the list changes only
        // by rescan(), and no xrun or server shutdown is reported.
        bool monitor = true;
    };

    JackBackend();
    explicit JackBackend(Options options);
    ~JackBackend() override;

    std::string defaultOutputUID() override;
    std::unique_ptr<AudioOutputStream> openOutput(const std::string& uid,
                                                  const AudioStreamConfig& config,
                                                  AudioRenderCallback& callback) override;

    // The UID the server is listed under.
    std::string uid() const;

    // Reads the server again and tells the listener what changed. The
    // monitor thread calls it; so may a test.
    void rescan();

private:
    friend class JackStreamHandle;
    void monitorLoop();
    void closeWatch();
    std::vector<AudioDeviceInfo> readServer();
    static void watchLost(void* self);
    static int formatChanged(std::uint32_t, void* self);

    const Options _options;
    const std::string _serverName; // the server every client of this backend reaches

    // Every client open, close and (de)activation of this backend, since
    // libjack frees a dead server's clients at the next open. Taken before
    // _mutex; never held across a listener call.
    std::mutex _clientsMutex;
    jack_client_t* _watch = nullptr; // guarded by _clientsMutex; open while the server is reachable
    bool _reportedAbsent = false;    // guarded by _clientsMutex
    std::atomic<bool> _watchLost{false}; // raised by JACK's thread, taken by the monitor
    BackendMonitor _monitor;
};
