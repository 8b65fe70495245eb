#pragma once

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

// A JACK server that accepts every client and never answers: the socket a
// JACK client connects to, bound where libjack looks for a server of that
// name (/dev/shm/jack_<name>_<uid>_0, or jack_<name>_0 when
// JACK_PROMISCUOUS_SERVER is set), listening, every connection taken and
// held open without a byte sent back. A client's open then waits on its
// first reply for as long as the socket lives.
class FakeJackServer {
public:
    explicit FakeJackServer(std::string name);
    ~FakeJackServer();
    FakeJackServer(const FakeJackServer&) = delete;
    FakeJackServer& operator=(const FakeJackServer&) = delete;

    // Whether the socket listens.
    bool listening() const { return _socket >= 0; }
    const std::string& name() const { return _name; }
    // Clients that connected so far.
    int connections() const { return _connections.load(); }

private:
    void acceptLoop();

    const std::string _name;
    std::string _path;
    int _socket = -1;
    int _stop[2] = {-1, -1};
    std::vector<int> _held; // accept thread only, closed once it has ended
    std::atomic<int> _connections{0};
    std::thread _thread;
};

inline FakeJackServer::FakeJackServer(std::string name)
    : _name(std::move(name)) {
    const char* promiscuous = std::getenv("JACK_PROMISCUOUS_SERVER");
    _path = "/dev/shm/jack_" + _name + "_" +
            (promiscuous ? std::string() : std::to_string(getuid()) + "_") + "0";
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (_path.size() >= sizeof address.sun_path || pipe2(_stop, O_CLOEXEC) != 0) {
        return;
    }
    std::memcpy(address.sun_path, _path.c_str(), _path.size() + 1);
    unlink(_path.c_str());
    _socket = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (_socket < 0) {
        return;
    }
    if (bind(_socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        listen(_socket, 16) != 0) {
        close(_socket);
        _socket = -1;
        return;
    }
    _thread = std::thread([this] { acceptLoop(); });
}

inline FakeJackServer::~FakeJackServer() {
    if (_thread.joinable()) {
        [[maybe_unused]] const ssize_t written = write(_stop[1], "x", 1);
        _thread.join();
    }
    for (const int held : _held) {
        close(held);
    }
    if (_socket >= 0) {
        close(_socket);
        unlink(_path.c_str());
    }
    for (const int end : _stop) {
        if (end >= 0) {
            close(end);
        }
    }
}

inline void FakeJackServer::acceptLoop() {
    for (;;) {
        pollfd fds[2] = {{_socket, POLLIN, 0}, {_stop[0], POLLIN, 0}};
        if (poll(fds, 2, -1) < 0 || (fds[1].revents & POLLIN)) {
            return;
        }
        if (fds[0].revents & POLLIN) {
            const int client = accept4(_socket, nullptr, nullptr, SOCK_CLOEXEC);
            if (client >= 0) {
                _held.push_back(client);
                ++_connections;
            }
        }
    }
}
