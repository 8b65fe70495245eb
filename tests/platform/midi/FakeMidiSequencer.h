#pragma once

#include "platform/midi/MidiInputError.h"
#include "platform/midi/MidiSequencer.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <mutex>
#include <set>

// A sequencer client in memory: the test pushes events, the reader takes
// them; ports and subscriptions are recorded. Thread-safe like the real one.
class FakeMidiSequencer : public MidiSequencer {
public:
    struct Port {
        std::string name;
        bool othersMayConnect = false;
    };

    explicit FakeMidiSequencer(int clientId)
        : _clientId(clientId)
        , _ready(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}
    ~FakeMidiSequencer() override { close(_ready); }

    // What the test sets up.
    void setSources(std::vector<SMSourceEndpoint> sources) {
        std::lock_guard lock(_mutex);
        _sources = std::move(sources);
    }
    void setUnreachable(SMSourceEndpoint source) {
        std::lock_guard lock(_mutex);
        _unreachable.push_back(source);
    }
    void setTakenPorts(std::set<int> ports) {
        std::lock_guard lock(_mutex);
        _taken = std::move(ports);
    }
    void setRefuseAnnouncements(bool refuse) {
        std::lock_guard lock(_mutex);
        _refuseAnnouncements = refuse;
    }
    // All of them become pending at once.
    void push(const std::vector<snd_seq_event_t>& events) {
        {
            std::lock_guard lock(_mutex);
            _pending.insert(_pending.end(), events.begin(), events.end());
        }
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto written = write(_ready, &one, sizeof one);
    }

    // What the test reads back.
    std::map<int, Port> ports() const {
        std::lock_guard lock(_mutex);
        return _ports;
    }
    std::vector<std::optional<int>> requestedPorts() const {
        std::lock_guard lock(_mutex);
        return _requests;
    }
    std::vector<SMSourceEndpoint> connections() const {
        std::lock_guard lock(_mutex);
        return _connections;
    }
    bool listensToAnnouncements() const {
        std::lock_guard lock(_mutex);
        return _announcements;
    }

    int clientId() const override { return _clientId; }
    std::vector<SMSourceEndpoint> sourceEndpoints() override {
        std::lock_guard lock(_mutex);
        return _sources;
    }
    int createInputPort(const std::string& name, bool othersMayConnect,
                        std::optional<int> requestedPort) override {
        std::lock_guard lock(_mutex);
        _requests.push_back(requestedPort);
        int port = 0;
        if (requestedPort) {
            port = *requestedPort;
            if (port < 0 || port > 253 || !isFree(port)) {
                throw MidiInputError("PortUnavailable", "port taken");
            }
        } else {
            while (!isFree(port)) {
                ++port;
            }
        }
        _ports[port] = {name, othersMayConnect};
        return port;
    }
    std::string connectFrom(int port, const SMSourceEndpoint& source) override {
        std::lock_guard lock(_mutex);
        if (std::find(_unreachable.begin(), _unreachable.end(), source) != _unreachable.end()) {
            return "No such device";
        }
        if (std::find(_connections.begin(), _connections.end(), source) == _connections.end()) {
            _connections.push_back(source);
        }
        return {};
    }
    void disconnectFrom(int port, const SMSourceEndpoint& source) override {
        std::lock_guard lock(_mutex);
        std::erase(_connections, source);
    }
    void subscribeToAnnouncements(int port) override {
        std::lock_guard lock(_mutex);
        if (_refuseAnnouncements) {
            throw MidiInputError("PortUnavailable", "cannot listen to the System Announce port");
        }
        _announcements = true;
    }
    std::vector<pollfd> pollDescriptors() override { return {{_ready, POLLIN, 0}}; }
    std::vector<snd_seq_event_t> takePendingEvents() override {
        std::uint64_t count = 0;
        [[maybe_unused]] const auto got = read(_ready, &count, sizeof count);
        std::lock_guard lock(_mutex);
        return std::exchange(_pending, {});
    }

private:
    bool isFree(int port) const { return !_taken.contains(port) && !_ports.contains(port); }

    const int _clientId;
    const int _ready;
    mutable std::mutex _mutex;
    std::vector<SMSourceEndpoint> _sources;
    std::vector<SMSourceEndpoint> _unreachable;
    std::set<int> _taken;
    std::map<int, Port> _ports;
    std::vector<std::optional<int>> _requests;
    std::vector<SMSourceEndpoint> _connections;
    bool _announcements = false;
    bool _refuseAnnouncements = false;
    std::vector<snd_seq_event_t> _pending;
};

// Hands out fakes by client name, or fails like a machine without a sequencer.
class FakeMidiSystem {
public:
    MidiSequencerFactory factory() {
        return [this](const std::string& clientName) -> std::unique_ptr<MidiSequencer> {
            if (!available) {
                throw MidiInputError("SequencerUnavailable",
                                     "cannot open the ALSA sequencer: No such file or directory");
            }
            auto client = std::make_unique<FakeMidiSequencer>(_nextClient++);
            if (auto taken = takenPorts.find(clientName); taken != takenPorts.end()) {
                client->setTakenPorts(taken->second);
            }
            client->setSources(sources);
            client->setRefuseAnnouncements(refuseAnnouncements);
            clients[clientName] = client.get();
            return client;
        };
    }

    bool available = true;
    std::vector<SMSourceEndpoint> sources;
    std::map<std::string, std::set<int>> takenPorts;
    bool refuseAnnouncements = false;
    // The clients made so far, alive while the stream that owns them is.
    std::map<std::string, FakeMidiSequencer*> clients;

private:
    int _nextClient = 128;
};
