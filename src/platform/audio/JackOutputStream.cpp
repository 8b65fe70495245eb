#include "platform/audio/JackOutputStream.h"

#include "foundation/KivClock.h"
#include "foundation/KivLog.h"
#include "foundation/ThreadRole.h"
#include "platform/audio/JackCallbackGuard.h"

#include <jack/jack.h>

#include <algorithm>
#include <thread>

namespace {

void connectToPlayback(jack_client_t* client, const std::vector<jack_port_t*>& ports) {
    const char** playback = jack_get_ports(client, nullptr, JACK_DEFAULT_AUDIO_TYPE,
                                           JackPortIsPhysical | JackPortIsInput);
    if (!playback) {
        return;
    }
    for (std::size_t i = 0; i < ports.size() && playback[i]; ++i) {
        jack_connect(client, jack_port_name(ports[i]), playback[i]);
    }
    jack_free(playback);
}

} // namespace

std::unique_ptr<JackOutputStream> JackOutputStream::open(const std::string& serverName,
                                                         const std::string& uid,
                                                         const AudioStreamConfig& requested,
                                                         AudioRenderCallback& callback, Wake wake) {
    jack_status_t status{};
    jack_client_t* client =
        jack_client_open("Pondra", JackOptions(JackNoStartServer | JackServerName), &status,
                         serverName.empty() ? nullptr : serverName.c_str());
    if (!client) {
        logFormat("Error: the JACK device %s could not be opened (status 0x%x)", uid.c_str(),
                  static_cast<unsigned>(status));
        return nullptr;
    }
    AudioStreamConfig config = requested;
    config.sampleRate = jack_get_sample_rate(client);
    config.framesPerBuffer = jack_get_buffer_size(client);
    config.interleaved = false;
    if (config.channels == 0) {
        config.channels = 2;
    }
    std::unique_ptr<JackOutputStream> stream(
        new JackOutputStream(client, uid, config, callback, std::move(wake)));
    for (std::uint32_t c = 0; c < config.channels; ++c) {
        const std::string name = "out_" + std::to_string(c + 1);
        jack_port_t* port =
            jack_port_register(client, name.c_str(), JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
        if (!port) {
            logFormat("Error: the JACK device %s could not register port %s", uid.c_str(),
                      name.c_str());
            return nullptr;
        }
        stream->_ports.push_back(port);
    }
    stream->_planes.resize(config.channels);
    jack_set_process_callback(client, &JackOutputStream::process, stream.get());
    jack_set_xrun_callback(client, &JackOutputStream::xrun, stream.get());
    jack_on_shutdown(client, &JackOutputStream::shutdown, stream.get());
    return stream;
}

JackOutputStream::JackOutputStream(jack_client_t* client, std::string uid,
                                   const AudioStreamConfig& config, AudioRenderCallback& callback,
                                   Wake wake)
    : _client(client)
    , _uid(std::move(uid))
    , _config(config)
    , _callback(callback)
    , _wake(std::move(wake)) {}

JackOutputStream::~JackOutputStream() {
    stop();
    if (_client) {
        jack_client_close(_client);
    }
}

void JackOutputStream::release() {
    if (!_gone.exchange(true, std::memory_order_acq_rel)) {
        _died.store(true, std::memory_order_release);
    }
    _running.store(false, std::memory_order_release);
    if (_client) {
        jack_client_close(_client);
        _client = nullptr;
    }
}

bool JackOutputStream::start() {
    if (_gone.load(std::memory_order_acquire)) {
        logFormat("Error: the JACK server of %s is gone and the device cannot start", _uid.c_str());
        return false;
    }
    if (_running.load(std::memory_order_acquire)) {
        return true;
    }
    _running.store(true, std::memory_order_release);
    if (jack_activate(_client) != 0) {
        _running.store(false, std::memory_order_release);
        logFormat("Error: the JACK device %s could not be activated", _uid.c_str());
        return false;
    }
    connectToPlayback(_client, _ports);
    return true;
}

void JackOutputStream::stop() {
    if (!_running.exchange(false, std::memory_order_acq_rel)) {
        return;
    }
    if (!_gone.load(std::memory_order_acquire)) {
        jack_deactivate(_client);
    }
    // So the callback is not called again once this returns.
    waitOutCycle();
}

void JackOutputStream::waitOutCycle() const {
    const std::uint64_t seen = _cycles.load();
    if (seen % 2 == 0) {
        return;
    }
    // A cycle lasts one period at most; the render thread is never held up.
    while (_cycles.load() == seen) {
        std::this_thread::yield();
    }
}

int JackOutputStream::process(std::uint32_t frames, void* arg) {
    JackCallbackGuard guard;
    auto& self = *static_cast<JackOutputStream*>(arg);
    ScopedThreadRole role(ThreadRole::Render);
    self._cycles.fetch_add(1);
    for (std::size_t c = 0; c < self._ports.size(); ++c) {
        auto* plane = static_cast<float*>(jack_port_get_buffer(self._ports[c], frames));
        std::fill_n(plane, frames, 0.0f);
        self._planes[c] = plane;
    }
    if (self._running.load(std::memory_order_acquire)) {
        const std::uint64_t now = HostTimeNow();
        // A server whose buffer grew is served in blocks of the size the
        // stream opened at, until its owner reopens it at the new size.
        const std::uint32_t block = self._config.framesPerBuffer;
        for (std::uint32_t done = 0; done < frames;) {
            const std::uint32_t n = std::min(block, frames - done);
            if (done > 0) {
                for (float*& plane : self._planes) {
                    plane += block;
                }
            }
            self._callback.render(
                AudioRenderTime{self._sampleTime, now},
                AudioOutputBuffer{self._planes.data(), self._config.channels, n, false});
            self._sampleTime += n;
            done += n;
        }
    }
    self._cycles.fetch_add(1);
    return 0;
}

int JackOutputStream::xrun(void* arg) {
    JackCallbackGuard guard;
    auto& self = *static_cast<JackOutputStream*>(arg);
    self._overloaded.store(true, std::memory_order_release);
    if (self._wake) {
        self._wake();
    }
    return 0;
}

void JackOutputStream::shutdown(void* arg) {
    JackCallbackGuard guard;
    auto& self = *static_cast<JackOutputStream*>(arg);
    if (!self._gone.exchange(true, std::memory_order_acq_rel)) {
        self._died.store(true, std::memory_order_release);
        if (self._wake) {
            self._wake();
        }
    }
}
