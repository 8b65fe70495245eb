#include "e2e/support/ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

ChildProcess::ChildProcess(const std::vector<std::string>& arguments,
                           const std::map<std::string, std::string>& environment,
                           const std::string& outputPath) {
    // Everything the child needs is made before fork: only async-signal-safe
    // calls run after it.
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    const pid_t parent = getpid();
    _pid = fork();
    if (_pid != 0) {
        return;
    }
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) {
        _exit(126);
    }
    setpgid(0, 0);
    const int output = outputPath.empty()
                           ? ::open("/dev/null", O_WRONLY)
                           : ::open(outputPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    dup2(output, 1);
    dup2(output, 2);
    for (const auto& [name, value] : environment) {
        if (value.empty()) {
            unsetenv(name.c_str());
        } else {
            setenv(name.c_str(), value.c_str(), 1);
        }
    }
    execvp(argv[0], argv.data());
    _exit(127);
}

ChildProcess::~ChildProcess() {
    kill();
}

bool ChildProcess::includes(pid_t process) const {
    // Up the chain of parents, as /proc/<pid>/stat gives them; the bound
    // keeps a chain that changes while it is read from looping.
    for (int depth = 0; depth < 64 && process > 1; ++depth) {
        if (process == _pid) {
            return true;
        }
        const std::string stat = readTextFile("/proc/" + std::to_string(process) + "/stat");
        // "pid (name) state ppid ...": the name may hold spaces and parentheses.
        const std::size_t end = stat.rfind(')');
        if (end == std::string::npos) {
            return false;
        }
        std::istringstream fields(stat.substr(end + 1));
        char state = 0;
        fields >> state >> process;
        if (!fields) {
            return false;
        }
    }
    return false;
}

bool ChildProcess::running() {
    return !waitForExit(std::chrono::milliseconds(0));
}

std::optional<ChildProcess::Exit> ChildProcess::waitForExit(std::chrono::milliseconds limit) {
    if (_ended || _pid <= 0) {
        return _ended;
    }
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
        int status = 0;
        if (waitpid(_pid, &status, WNOHANG) == _pid) {
            _ended = WIFSIGNALED(status) ? Exit{true, WTERMSIG(status)}
                                         : Exit{false, WEXITSTATUS(status)};
            return _ended;
        }
        if (std::chrono::steady_clock::now() >= end) {
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void ChildProcess::signal(int number) {
    if (_pid > 0 && !_ended) {
        ::kill(_pid, number);
    }
}

void ChildProcess::kill() {
    if (_pid > 0 && !_ended) {
        ::kill(_pid, SIGKILL);
        waitForExit(std::chrono::seconds(10));
    }
}

std::string readTextFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}
