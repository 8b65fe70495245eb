#pragma once

#include "effecteditor/EffectPresetExecutor.h"

#include <deque>
#include <functional>
#include <utility>

// Runs preset file work when the test says: background work and the work
// handed back wait in one queue, in order.
class ManualPresetExecutor final : public EffectPresetExecutor {
public:
    void runInBackground(std::function<void()> work) override { _queue.push_back(std::move(work)); }
    void runOnOwner(std::function<void()> work) override { _queue.push_back(std::move(work)); }

    bool runOne() {
        if (_queue.empty()) {
            return false;
        }
        auto work = std::move(_queue.front());
        _queue.pop_front();
        work();
        return true;
    }
    void runAll() {
        while (runOne()) {
        }
    }
    std::size_t pending() const { return _queue.size(); }

private:
    std::deque<std::function<void()>> _queue;
};
