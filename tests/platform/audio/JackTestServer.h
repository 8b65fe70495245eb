#pragma once

#include <fcntl.h>
#include <jack/jack.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <utility>

// A JACK server of the test's own: the dummy driver (no sound card), no
// real-time scheduling. jackd keeps eight server slots in shared memory and
// frees the slot of a killed server only to a new server of the same name,
// so the names come from a small pool, each held by a file lock while a
// test uses it; a test waits up to a minute for a name to come free.
// start() answers false when jackd is not installed, no name came free or
// the server never becomes reachable. jackd's output goes to `log`, or
// nowhere when it is empty.
class JackTestServer {
public:
    static constexpr int kNames = 4;

    JackTestServer(std::uint32_t rate, std::uint32_t period, std::string log = {})
        : _rate(rate)
        , _period(period)
        , _log(std::move(log)) {
        claimName();
    }
    ~JackTestServer() {
        kill(SIGTERM);
        if (_lock >= 0) {
            close(_lock);
        }
    }
    JackTestServer(const JackTestServer&) = delete;
    JackTestServer& operator=(const JackTestServer&) = delete;

    static bool installed() { return std::system("command -v jackd >/dev/null 2>&1") == 0; }

    bool start() {
        if (!installed() || _lock < 0) {
            return false;
        }
        const std::string rate = std::to_string(_rate);
        const std::string period = std::to_string(_period);
        const char* output = _log.empty() ? "/dev/null" : _log.c_str();
        const char* verbosity = _log.empty() ? "--silent" : "--verbose";
        _pid = fork();
        if (_pid == 0) {
            const int out = ::open(output, O_WRONLY | O_CREAT | O_APPEND, 0644);
            dup2(out, 1);
            dup2(out, 2);
            // A test run that is itself killed takes its server along.
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            setenv("JACK_NO_AUDIO_RESERVATION", "1", 1);
            // Synchronous, with a long client timeout: on a loaded test machine
            // a late cycle waits instead of being dropped, so every frame counts.
            execlp("jackd", "jackd", "--no-realtime", verbosity, "-S", "-t", "5000", "-n",
                   _name.c_str(), "-d", "dummy", "-r", rate.c_str(), "-p", period.c_str(), "-P",
                   "2", "-C", "2", static_cast<char*>(nullptr));
            _exit(127);
        }
        // The server takes a moment to listen; the bound keeps a broken
        // install from hanging the run.
        for (int tries = 0; tries < 200; ++tries) {
            if (reachable()) {
                return true;
            }
            int status = 0;
            if (waitpid(_pid, &status, WNOHANG) == _pid) {
                _pid = -1;
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }

    // Ends the server the way a crash would (SIGKILL) or a user would.
    void kill(int signal) {
        if (_pid > 0) {
            ::kill(_pid, signal);
            waitpid(_pid, nullptr, 0);
            _pid = -1;
        }
    }

    bool reachable() const {
        jack_status_t status{};
        jack_client_t* client =
            jack_client_open("pondra-test-probe", JackOptions(JackNoStartServer | JackServerName),
                             &status, _name.c_str());
        if (!client) {
            return false;
        }
        jack_client_close(client);
        return true;
    }

    // Empty when every name of the pool is taken.
    const std::string& name() const { return _name; }

private:
    void claimName() {
        for (int tries = 0; tries < 600 && _lock < 0; ++tries) {
            if (tries > 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
            tryNames();
        }
    }
    void tryNames() {
        for (int n = 0; n < kNames; ++n) {
            const std::string name =
                "pondra-test-" + std::to_string(getuid()) + "-" + std::to_string(n);
            const int lock =
                ::open(("/tmp/" + name + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
            if (lock < 0) {
                continue;
            }
            if (flock(lock, LOCK_EX | LOCK_NB) == 0) {
                _lock = lock;
                _name = name;
                return;
            }
            close(lock);
        }
    }

    const std::uint32_t _rate;
    const std::uint32_t _period;
    const std::string _log;
    std::string _name;
    int _lock = -1;
    pid_t _pid = -1;
};
