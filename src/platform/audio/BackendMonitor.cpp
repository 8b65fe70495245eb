#include "platform/audio/BackendMonitor.h"

#include "foundation/KivLog.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

BackendMonitor::BackendMonitor(const char* backend)
    : _wakeFd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    if (_wakeFd < 0) {
        logFormat("Error: %s has no event descriptor: %s", backend, std::strerror(errno));
    }
}

BackendMonitor::~BackendMonitor() {
    stop();
    if (_wakeFd >= 0) {
        close(_wakeFd);
    }
}

void BackendMonitor::start(std::function<void()> loop) {
    _thread = std::thread(std::move(loop));
}

void BackendMonitor::stop() {
    _stopping.store(true, std::memory_order_release);
    wake();
    if (_thread.joinable()) {
        _thread.join();
    }
}

void BackendMonitor::wake() noexcept {
    if (_wakeFd >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(_wakeFd, &one, sizeof one);
    }
}

BackendMonitor::Event BackendMonitor::wait(int fd, int timeoutMilliseconds) {
    if (_stopping.load(std::memory_order_acquire)) {
        return Event::Stopped;
    }
    pollfd fds[2] = {{_wakeFd, POLLIN, 0}, {fd, POLLIN, 0}};
    const int ready = poll(fds, fd >= 0 ? 2 : 1, timeoutMilliseconds);
    if (ready < 0) {
        return errno == EINTR ? Event::Timeout : Event::Failed;
    }
    if (ready > 0 && (fds[0].revents & POLLIN)) {
        std::uint64_t count = 0;
        [[maybe_unused]] const ssize_t got = ::read(_wakeFd, &count, sizeof count);
        return _stopping.load(std::memory_order_acquire) ? Event::Stopped : Event::Woken;
    }
    if (ready > 0 && fd >= 0 && (fds[1].revents & POLLIN)) {
        return Event::Ready;
    }
    return Event::Timeout;
}
