#include "platform/audio/JackBackend.h"

#include "foundation/KivEnvironment.h"
#include "foundation/KivLog.h"
#include "platform/audio/JackCallbackGuard.h"
#include "platform/audio/JackOutputStream.h"

#include <jack/jack.h>
#include <pthread.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

// A server that is not running is found within this long of its start.
constexpr int kRetryMilliseconds = 1000;

// libjack reports a missing server on stderr; that is the normal case here.
void libraryMessage(const char* message) {
    if (KivEnvironment::logLevel() >= 3) {
        logFormat("JACK: %s", message);
    }
}

std::uint32_t playbackPortCount(jack_client_t* client) {
    const char** ports = jack_get_ports(client, nullptr, JACK_DEFAULT_AUDIO_TYPE,
                                        JackPortIsPhysical | JackPortIsInput);
    std::uint32_t count = 0;
    if (ports) {
        while (ports[count]) {
            ++count;
        }
        jack_free(ports);
    }
    return count;
}

// What libjack calls the server a client reaches without naming one.
constexpr const char* kDefaultServer = "default";

// The server a client of these options reaches: the one named, else the one
// the environment makes the default (as libjack reads it), else "default".
std::string serverNameOf(const JackBackend::Options& options) {
    if (!options.serverName.empty()) {
        return options.serverName;
    }
    const char* fromEnvironment = std::getenv("JACK_DEFAULT_SERVER");
    return fromEnvironment && *fromEnvironment ? fromEnvironment : kDefaultServer;
}

} // namespace

// The stream a caller holds; it leaves the backend's list before it closes.
class JackStreamHandle : public AudioOutputStream {
public:
    JackStreamHandle(JackBackend& backend, std::unique_ptr<JackOutputStream> stream)
        : _backend(backend)
        , _stream(std::move(stream)) {}
    ~JackStreamHandle() override {
        std::lock_guard clients(_backend._clientsMutex);
        _backend.removeStream(_stream.get());
        _stream.reset();
    }

    AudioStreamConfig config() const override { return _stream->config(); }
    bool start() override {
        std::lock_guard clients(_backend._clientsMutex);
        return _stream->start();
    }
    void stop() override {
        std::lock_guard clients(_backend._clientsMutex);
        _stream->stop();
    }
    bool isRunning() const override { return _stream->isRunning(); }

private:
    JackBackend& _backend;
    std::unique_ptr<JackOutputStream> _stream;
};

JackBackend::JackBackend()
    : JackBackend(Options{}) {}

JackBackend::JackBackend(Options options)
    : BackendBase("the JACK backend")
    , _options(std::move(options))
    , _serverName(serverNameOf(_options))
    // Before the first rescan: the watching client's callbacks wake through it.
    , _monitor("the JACK backend") {
    jack_set_error_function(libraryMessage);
    jack_set_info_function(libraryMessage);
    rescan();
    if (_options.monitor && _monitor.canWake()) {
        _monitor.start([this] { monitorLoop(); });
    }
}

JackBackend::~JackBackend() {
    _monitor.stop();
    std::lock_guard clients(_clientsMutex);
    closeWatch();
}

std::string JackBackend::uid() const {
    return "jack:" + _serverName;
}

std::string JackBackend::defaultOutputUID() {
    std::lock_guard lock(_mutex);
    return _devices.empty() ? std::string() : _devices.front().uid;
}

std::unique_ptr<AudioOutputStream> JackBackend::openOutput(const std::string& uid,
                                                           const AudioStreamConfig& requested,
                                                           AudioRenderCallback& callback) {
    AudioStreamConfig config = requested;
    {
        std::lock_guard lock(_mutex);
        if (_devices.empty() || _devices.front().uid != uid) {
            logFormat("Error: JACK lists no device %s", uid.c_str());
            return nullptr;
        }
        if (config.channels == 0) {
            config.channels = _devices.front().outputChannels;
        }
    }
    std::lock_guard clients(_clientsMutex);
    // On libjack's threads the wake comes only from a callback, whose guard
    // holds off a cancellation in it.
    auto stream = JackOutputStream::open(_serverName, uid, config, callback,
                                         [this]() noexcept { _monitor.wake(); });
    if (!stream) {
        return nullptr;
    }
    addStream(stream.get());
    return std::make_unique<JackStreamHandle>(*this, std::move(stream));
}

void JackBackend::watchLost(void* self) {
    JackCallbackGuard guard;
    auto& backend = *static_cast<JackBackend*>(self);
    backend._watchLost.store(true, std::memory_order_release);
    backend._monitor.wake();
}

int JackBackend::formatChanged(std::uint32_t, void* self) {
    JackCallbackGuard guard;
    static_cast<JackBackend*>(self)->_monitor.wake();
    return 0;
}

void JackBackend::closeWatch() {
    if (_watch) {
        jack_client_close(_watch);
        _watch = nullptr;
    }
}

std::vector<AudioDeviceInfo> JackBackend::readServer() {
    std::lock_guard clients(_clientsMutex);
    if (_watchLost.exchange(false, std::memory_order_acq_rel)) {
        closeWatch();
        // The server is gone, and with it every stream on it.
        std::vector<JackOutputStream*> streams;
        {
            std::lock_guard lock(_mutex);
            streams = _streams;
        }
        for (JackOutputStream* stream : streams) {
            stream->release();
        }
    }
    if (!_watch) {
        jack_status_t status{};
        _watch = jack_client_open("Pondra watch", JackOptions(JackNoStartServer | JackServerName),
                                  &status, _serverName.c_str());
        if (_watch) {
            _reportedAbsent = false;
            jack_on_shutdown(_watch, &JackBackend::watchLost, this);
            jack_set_sample_rate_callback(_watch, &JackBackend::formatChanged, this);
            jack_set_buffer_size_callback(_watch, &JackBackend::formatChanged, this);
            jack_activate(_watch);
        } else if (!_reportedAbsent) {
            _reportedAbsent = true;
            if (KivEnvironment::logLevel() >= 1) {
                logFormat("No JACK server %s is running; JACK is not listed", uid().c_str());
            }
        }
    }
    std::vector<AudioDeviceInfo> found;
    if (_watch) {
        AudioDeviceInfo info;
        info.uid = uid();
        info.name = _serverName == kDefaultServer ? "JACK" : "JACK (" + _serverName + ")";
        info.manufacturer = "JACK";
        info.modelUID = "jack";
        info.outputChannels = std::max<std::uint32_t>(2, playbackPortCount(_watch));
        info.nominalSampleRate = jack_get_sample_rate(_watch);
        // The server sets the period for every client.
        info.bufferSizeInFrames = jack_get_buffer_size(_watch);
        info.minBufferSizeInFrames = info.bufferSizeInFrames;
        info.maxBufferSizeInFrames = info.bufferSizeInFrames;
        found.push_back(std::move(info));
    }
    return found;
}

void JackBackend::rescan() {
    std::vector<AudioDeviceInfo> found = readServer();
    bool listChanged = false;
    bool formatChanged = false;
    AudioBackendListener* listener = nullptr;
    {
        std::lock_guard lock(_mutex);
        listChanged = found.size() != _devices.size();
        formatChanged = !listChanged && !found.empty() &&
                        (found.front().nominalSampleRate != _devices.front().nominalSampleRate ||
                         found.front().bufferSizeInFrames != _devices.front().bufferSizeInFrames);
        _devices = std::move(found);
        listener = _listener;
    }
    if (!listener) {
        return;
    }
    if (listChanged) {
        listener->deviceListChanged();
    }
    // A new period reaches the device as a new rate does: its owner reopens it.
    if (formatChanged) {
        listener->sampleRateChanged(uid());
    }
}

void JackBackend::monitorLoop() {
    for (;;) {
        bool watching = false;
        {
            std::lock_guard clients(_clientsMutex);
            watching = _watch != nullptr;
        }
        const BackendMonitor::Event event = _monitor.wait(-1, watching ? -1 : kRetryMilliseconds);
        if (event == BackendMonitor::Event::Stopped) {
            break;
        }
        if (event == BackendMonitor::Event::Failed) {
            logFormat("Error: the JACK server monitor stops: %s", std::strerror(errno));
            break;
        }
        rescan();
        // Released streams report their death here.
        if (event == BackendMonitor::Event::Woken) {
            reportStreamEvents();
        }
    }
}
