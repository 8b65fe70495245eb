#pragma once

#include <jack/jack.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A second JACK client in the test process that records two input ports
// into storage sized up front, so what our output ports put out can be
// checked frame by frame. It counts the cycles the server reports late
// (xruns), in which a client's callback may have been cut short. It can also
// stall one of its cycles, which makes the server count an xrun, and ask the
// server for another buffer size.
class JackRecorder {
public:
    JackRecorder(const std::string& server, std::size_t capacity)
        : _left(capacity)
        , _right(capacity) {
        jack_status_t status{};
        _client =
            jack_client_open("pondra-recorder", JackOptions(JackNoStartServer | JackServerName),
                             &status, server.c_str());
        if (!_client) {
            std::fprintf(stderr, "the recorder could not open: status 0x%x\n",
                         static_cast<unsigned>(status));
            return;
        }
        _in[0] = jack_port_register(_client, "in_1", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
        _in[1] = jack_port_register(_client, "in_2", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
        jack_set_process_callback(_client, &JackRecorder::process, this);
        jack_set_xrun_callback(_client, &JackRecorder::xrun, this);
        jack_activate(_client);
    }
    ~JackRecorder() {
        if (_client) {
            jack_deactivate(_client);
            jack_client_close(_client);
        }
    }

    bool valid() const { return _client && _in[0] && _in[1]; }

    // Connects the first two output ports of Pondra's clients to ours.
    bool listenToPondra() {
        const char** left =
            jack_get_ports(_client, "^Pondra[^:]*:out_1$", nullptr, JackPortIsOutput);
        const char** right =
            jack_get_ports(_client, "^Pondra[^:]*:out_2$", nullptr, JackPortIsOutput);
        const bool connected = left && right &&
                               jack_connect(_client, left[0], jack_port_name(_in[0])) == 0 &&
                               jack_connect(_client, right[0], jack_port_name(_in[1])) == 0;
        jack_free(left);
        jack_free(right);
        return connected;
    }

    // Waits for JACK's process thread; the bound only keeps a broken server
    // from hanging the run.
    bool waitForFrames(std::size_t count,
                       std::chrono::milliseconds limit = std::chrono::seconds(20)) {
        std::unique_lock lock(_mutex);
        return _changed.wait_for(lock, limit, [&] { return recorded.load() >= count; });
    }

    void stallNextCycle(std::chrono::milliseconds how) { _stall.store(how.count()); }

    bool setBufferSize(std::uint32_t frames) { return jack_set_buffer_size(_client, frames) == 0; }

    // The first recorded frame at or after `from` whose sample on `channel` is not silent.
    std::size_t firstSound(int channel, std::size_t from = 0) const {
        const std::vector<float>& samples = channel == 0 ? _left : _right;
        const std::size_t end = std::min(recorded.load(), samples.size());
        for (std::size_t f = from; f < end; ++f) {
            if (samples[f] != 0.0f) {
                return f;
            }
        }
        return end;
    }

    float sample(int channel, std::size_t frame) const {
        return channel == 0 ? _left[frame] : _right[frame];
    }

    // What one channel has recorded so far.
    std::vector<float> samples(int channel) const {
        const std::vector<float>& all = channel == 0 ? _left : _right;
        return {all.begin(), all.begin() + static_cast<std::ptrdiff_t>(recorded.load())};
    }

    // Cycles the server has reported late since the recorder opened.
    std::size_t lateCycles() const { return _lateCycles.load(); }

    std::atomic<std::size_t> recorded{0};

private:
    // On libjack's notification thread.
    static int xrun(void* arg) {
        static_cast<JackRecorder*>(arg)->_lateCycles.fetch_add(1);
        return 0;
    }

    static int process(jack_nframes_t frames, void* arg) {
        auto& self = *static_cast<JackRecorder*>(arg);
        const auto* left = static_cast<const float*>(jack_port_get_buffer(self._in[0], frames));
        const auto* right = static_cast<const float*>(jack_port_get_buffer(self._in[1], frames));
        const std::size_t at = self.recorded.load();
        const std::size_t n = std::min<std::size_t>(frames, self._left.size() - at);
        std::copy_n(left, n, self._left.begin() + at);
        std::copy_n(right, n, self._right.begin() + at);
        self.recorded.store(at + n);
        if (const long stall = self._stall.exchange(0)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(stall));
        }
        std::lock_guard lock(self._mutex);
        self._changed.notify_all();
        return 0;
    }

    jack_client_t* _client = nullptr;
    jack_port_t* _in[2] = {nullptr, nullptr};
    std::vector<float> _left;
    std::vector<float> _right;
    std::atomic<long> _stall{0};
    std::atomic<std::size_t> _lateCycles{0};
    std::mutex _mutex;
    std::condition_variable _changed;
};
