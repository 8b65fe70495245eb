#pragma once

#include <deque>
#include <functional>
#include <utility>

// Work a manual executor keeps until the test runs it, in order.
class ManualWorkQueue {
public:
    void push(std::function<void()> work) { _queue.push_back(std::move(work)); }

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
    void clear() { _queue.clear(); }

private:
    std::deque<std::function<void()>> _queue;
};
