#pragma once

#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

// Watches the GUI thread's event loop from a thread of its own: every few
// milliseconds it posts a time stamp into the loop, and the loop answers how
// long the stamp waited, less the time the GUI thread stood ready to run but
// waited for a core, which is the load of other programs, not a fault of
// this one. The longest wait is the longest the GUI thread went without
// handling events: a freeze a user would feel. Made and read on the GUI
// thread.
class GuiWatchdog {
public:
    static constexpr std::chrono::milliseconds kTick{5};
    // The longest stall a user does not yet feel as a freeze. A sanitized
    // build runs every instruction several times slower, so it is given more.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    static constexpr std::chrono::milliseconds kFreeze{400};
#else
    static constexpr std::chrono::milliseconds kFreeze{100};
#endif

    GuiWatchdog()
        : _schedstat("/proc/self/task/" + std::to_string(gettid()) + "/schedstat")
        , _thread([this] { run(); }) {}
    ~GuiWatchdog() {
        {
            std::lock_guard lock(_mutex);
            _stopping = true;
        }
        _wake.notify_all();
        _thread.join();
        // Stamps still queued answer into a watchdog that is gone.
        QCoreApplication::removePostedEvents(&_receiver);
    }
    GuiWatchdog(const GuiWatchdog&) = delete;
    GuiWatchdog& operator=(const GuiWatchdog&) = delete;

    // The longest a stamp has waited so far; the stamps queued meanwhile
    // are answered first.
    std::chrono::milliseconds longestStall() {
        QCoreApplication::sendPostedEvents(&_receiver);
        std::lock_guard lock(_mutex);
        return std::chrono::duration_cast<std::chrono::milliseconds>(_longest);
    }

    // Runs the GUI thread's event loop until `done` answers true or `limit`
    // has passed; answers `done()`.
    static bool spinUntil(const std::function<bool()>& done,
                          std::chrono::milliseconds limit = std::chrono::seconds(20)) {
        const auto end = Clock::now() + limit;
        while (!done() && Clock::now() < end) {
            QEventLoop loop;
            QTimer::singleShot(2, &loop, &QEventLoop::quit);
            loop.exec();
        }
        return done();
    }

private:
    using Clock = std::chrono::steady_clock;

    void run() {
        std::unique_lock lock(_mutex);
        while (!_stopping) {
            const Clock::time_point sent = Clock::now();
            const Clock::duration queuedAtSent = queued();
            QMetaObject::invokeMethod(
                &_receiver, [this, sent, queuedAtSent] { answer(sent, queuedAtSent); },
                Qt::QueuedConnection);
            _wake.wait_for(lock, kTick);
        }
    }

    void answer(Clock::time_point sent, Clock::duration queuedAtSent) {
        const Clock::duration waited = Clock::now() - sent - (queued() - queuedAtSent);
        std::lock_guard lock(_mutex);
        _longest = std::max(_longest, waited);
    }

    // How long the GUI thread has stood in the run queue, all told: the
    // second figure of its schedstat, in nanoseconds.
    Clock::duration queued() const {
        std::ifstream stat(_schedstat);
        unsigned long long running = 0;
        unsigned long long waiting = 0;
        stat >> running >> waiting;
        return std::chrono::nanoseconds(waiting);
    }

    const std::string _schedstat;
    QObject _receiver;
    std::mutex _mutex; // guards the fields below
    std::condition_variable _wake;
    bool _stopping = false;
    Clock::duration _longest = Clock::duration::zero();
    std::thread _thread;
};
