#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <semaphore>
#include <thread>
#include <vector>

// A piece of read-ahead work (a buffer's fill, a meta buffer's tend) that a
// pool runs in steps, on one worker at a time.
class KivReadAheadTask {
public:
    virtual ~KivReadAheadTask() = default;

protected:
    KivReadAheadTask() = default;
    KivReadAheadTask(const KivReadAheadTask&) = delete;
    KivReadAheadTask& operator=(const KivReadAheadTask&) = delete;

    // A pool worker: one step. A step that leaves work over posts the task
    // again, so that other tasks get their turn meanwhile.
    virtual void runStep() = 0;

private:
    friend class KivReadAheadPool;
    // Posters set, the worker that takes the task clears.
    std::atomic<bool> _queued{false};
    std::atomic<bool> _urgent{false};
    bool _running = false; // the pool's mutex
};

// A fixed number of worker threads that read ahead for every buffer, however
// many cues are loaded: a cue costs a task, not a thread. The workers are
// owned here and joined by the destructor.
class KivReadAheadPool {
public:
    static constexpr unsigned kWorkers = 3;

    // Owner's thread: the process's pool, started on first use; it ends, its
    // workers joined, when the last holder lets go.
    static std::shared_ptr<KivReadAheadPool> shared();

    // Owner's thread. Starts `workers` workers (fewer, logged, when the
    // system refuses a thread).
    explicit KivReadAheadPool(unsigned workers);
    // Owner's thread, never a worker, once every task has been removed.
    ~KivReadAheadPool();
    KivReadAheadPool(const KivReadAheadPool&) = delete;
    KivReadAheadPool& operator=(const KivReadAheadPool&) = delete;

    // Owner's thread: posts of the task run from now on.
    void add(KivReadAheadTask& task);
    // Owner's thread: once it returns no worker runs the task or will; it
    // waits for a step in progress (a file read), so it is never called
    // under a lock the render thread takes. A task not added is ignored.
    void remove(KivReadAheadTask& task);
    // Any thread, the render thread included: never blocks, never
    // allocates. The task runs a step soon; posts before that step begins
    // are one post. An urgent post (playback is waiting for it) runs before
    // every task that is only queued, such as the many tend steps of a
    // document being opened. A task not added is marked and nothing runs.
    void post(KivReadAheadTask& task, bool urgent = false);

    std::size_t workerCount() const { return _workers.size(); }

private:
    void run();
    // Under _mutex: a queued task no worker runs, taken, urgent ones first;
    // null when none.
    KivReadAheadTask* take();
    KivReadAheadTask* take(bool urgentOnly);

    std::mutex _mutex; // never taken by the render thread
    std::condition_variable _stepEnded;
    std::vector<KivReadAheadTask*> _tasks; // _mutex
    std::size_t _next = 0;                 // _mutex: where the next search starts
    bool _stopping = false;                // _mutex
    // One release per post that queued a task; a worker wakes for each and
    // searches again after every step, so no post is lost.
    std::counting_semaphore<> _wake{0};
    std::vector<std::thread> _workers; // owned, joined by the destructor
};
