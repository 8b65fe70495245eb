#pragma once

#include <sys/types.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

// A program the test starts, with an environment of the test's choosing and
// its output in a file. It dies with the test process, so a case that times
// out leaves nothing running.
class ChildProcess {
public:
    struct Exit {
        bool signalled = false;
        int code = 0; // the exit status, or the signal that ended it
    };

    // Starts `arguments[0]` (looked up on PATH) with the test's environment
    // changed by `environment` (an empty value removes a variable); stdout
    // and stderr go to `outputPath`, or nowhere when it is empty.
    ChildProcess(const std::vector<std::string>& arguments,
                 const std::map<std::string, std::string>& environment,
                 const std::string& outputPath);
    // Kills what is still running.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return _pid; }
    // Whether `process` is this child or was started by it, at any remove
    // (a launcher that forks before it runs the program).
    bool includes(pid_t process) const;
    bool running();
    // How it ended, none while it runs.
    std::optional<Exit> exit() const { return _ended; }
    // None when it still runs after `limit`.
    std::optional<Exit> waitForExit(std::chrono::milliseconds limit);
    void signal(int number);
    // SIGKILL, then waits.
    void kill();

private:
    pid_t _pid = -1;
    std::optional<Exit> _ended;
};

// Text of a whole file; empty when it cannot be read.
std::string readTextFile(const std::string& path);
