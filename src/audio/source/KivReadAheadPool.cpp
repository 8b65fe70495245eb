#include "audio/source/KivReadAheadPool.h"

#include "foundation/KivLog.h"
#include "foundation/ThreadRole.h"

#include <algorithm>
#include <system_error>

std::shared_ptr<KivReadAheadPool> KivReadAheadPool::shared() {
    static std::mutex mutex;
    static std::weak_ptr<KivReadAheadPool> current;
    std::lock_guard lock(mutex);
    std::shared_ptr<KivReadAheadPool> pool = current.lock();
    if (!pool) {
        pool = std::make_shared<KivReadAheadPool>(kWorkers);
        current = pool;
    }
    return pool;
}

KivReadAheadPool::KivReadAheadPool(unsigned workers) {
    _workers.reserve(workers);
    for (unsigned i = 0; i < workers; ++i) {
        try {
            _workers.emplace_back(&KivReadAheadPool::run, this);
        } catch (const std::system_error& error) {
            logFormat("Error: KivReadAheadPool could not start a worker (%s); %zu run",
                      error.what(), _workers.size());
            break;
        }
    }
}

KivReadAheadPool::~KivReadAheadPool() {
    {
        std::lock_guard lock(_mutex);
        _stopping = true;
    }
    _wake.release(static_cast<std::ptrdiff_t>(_workers.size()));
    for (std::thread& worker : _workers) {
        worker.join();
    }
}

void KivReadAheadPool::add(KivReadAheadTask& task) {
    assertNotRenderThread();
    std::lock_guard lock(_mutex);
    _tasks.push_back(&task);
    if (task._queued.load(std::memory_order_acquire)) {
        // Posted before it was added: that post found no worker to run it.
        _wake.release();
    }
}

void KivReadAheadPool::remove(KivReadAheadTask& task) {
    assertNotRenderThread();
    std::unique_lock lock(_mutex);
    const auto at = std::find(_tasks.begin(), _tasks.end(), &task);
    if (at == _tasks.end()) {
        return;
    }
    _tasks.erase(at);
    _stepEnded.wait(lock, [&task] { return !task._running; });
}

void KivReadAheadPool::post(KivReadAheadTask& task, bool urgent) {
    if (urgent) {
        task._urgent.store(true, std::memory_order_release);
    }
    if (!task._queued.exchange(true, std::memory_order_acq_rel)) {
        _wake.release();
    }
}

KivReadAheadTask* KivReadAheadPool::take() {
    KivReadAheadTask* task = take(true);
    return task ? task : take(false);
}

KivReadAheadTask* KivReadAheadPool::take(bool urgentOnly) {
    const std::size_t count = _tasks.size();
    for (std::size_t i = 0; i < count; ++i) {
        KivReadAheadTask* task = _tasks[(_next + i) % count];
        if (task->_running || (urgentOnly && !task->_urgent.load(std::memory_order_acquire))) {
            continue;
        }
        if (task->_queued.exchange(false, std::memory_order_acq_rel)) {
            task->_urgent.store(false, std::memory_order_release);
            _next = (_next + i + 1) % count;
            task->_running = true;
            return task;
        }
    }
    return nullptr;
}

void KivReadAheadPool::run() {
    std::unique_lock lock(_mutex);
    while (true) {
        if (KivReadAheadTask* task = take()) {
            lock.unlock();
            task->runStep();
            lock.lock();
            task->_running = false;
            _stepEnded.notify_all();
            continue;
        }
        if (_stopping) {
            return;
        }
        lock.unlock();
        _wake.acquire();
        lock.lock();
    }
}
