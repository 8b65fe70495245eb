#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

// The thread that makes a backend's calls into its sound library, one at a
// time in the order given. Such a call may never return: libjack waits
// without a limit on a server that took the connection and does not answer,
// or that was stopped. So a caller waits on a call for a limit of its own and
// goes on without it; a worker whose call under way has run for longer than
// its hang limit is said to hang, and refuses new calls until it returns.
//
// Threads are owned and joined, but a thread that is stuck in a library
// cannot be joined: finish() leaves such a thread to its call (detaches it).
// That is safe because nothing the thread touches belongs to anyone else:
// its queue and state are shared with it, and every task owns what it
// touches (shared pointers and values, never a reference into its poster).
// A call that returns after its worker was left finds nothing freed under
// it; the thread runs what is queued behind it and ends, or the process
// ends first.
class DeviceWorker {
public:
    using Task = std::function<void()>;
    using Clock = std::chrono::steady_clock;

    explicit DeviceWorker(std::chrono::milliseconds hangLimit);
    // finish() with no time to wait, unless it was called.
    ~DeviceWorker();
    DeviceWorker(const DeviceWorker&) = delete;
    DeviceWorker& operator=(const DeviceWorker&) = delete;

    // Runs `task` behind the tasks queued and waits up to `limit` for it to
    // end; true when it ended in time. Otherwise a task not yet begun never
    // runs, and one under way runs on, followed on the worker by `late`.
    // False at once, with nothing queued, while the worker hangs or after
    // finish(). Not from the worker's own thread.
    bool call(Task task, std::chrono::milliseconds limit, Task late = {});
    // Queues `task` without waiting. It runs even behind a hang, once the
    // hang ends; after finish() it is dropped.
    void post(Task task);

    // When the task under way began; none while idle.
    std::optional<Clock::time_point> busySince() const;
    // Whether the task under way has run for longer than the hang limit.
    bool hangs() const;

    // Ends the worker once its queue has run out, and joins it; true then.
    // When the task under way has run for `limit` (before or while waiting),
    // the thread is left to it and the queue behind it, and the answer is
    // false. Idempotent.
    bool finish(std::chrono::milliseconds limit);

private:
    struct Shared;
    std::shared_ptr<Shared> _shared;
    std::thread _thread;
};
