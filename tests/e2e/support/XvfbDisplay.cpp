#include "e2e/support/XvfbDisplay.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

bool XvfbDisplay::installed() {
    return std::system("command -v Xvfb >/dev/null 2>&1") == 0;
}

XvfbDisplay::XvfbDisplay() {
    int ready[2];
    if (pipe(ready) != 0) {
        return;
    }
    const std::string fd = std::to_string(ready[1]);
    const pid_t parent = getpid();
    _pid = fork();
    if (_pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent) {
            _exit(126);
        }
        close(ready[0]);
        const int quiet = ::open("/dev/null", O_WRONLY);
        dup2(quiet, 1);
        dup2(quiet, 2);
        // Xvfb writes the display it took to the descriptor once it listens.
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24",
               "-nolisten", "tcp", "-noreset", "+extension", "XTEST", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(ready[1]);
    std::string number;
    pollfd wait{ready[0], POLLIN, 0};
    // The bound keeps a broken install from hanging the case.
    while (poll(&wait, 1, 10000) > 0) {
        char c = 0;
        if (read(ready[0], &c, 1) != 1 || c == '\n') {
            break;
        }
        number += c;
    }
    close(ready[0]);
    if (!number.empty()) {
        _name = ":" + number;
    }
}

XvfbDisplay::~XvfbDisplay() {
    if (_pid > 0) {
        kill(_pid, SIGTERM);
        waitpid(_pid, nullptr, 0);
    }
}
