#pragma once

#include "platform/midi/SMMessageDestination.h"

#include <condition_variable>
#include <mutex>

// Keeps every batch it is given; a test may wait for the next one.
class CapturingDestination : public SMMessageDestination {
public:
    void takeMIDIMessages(const MidiBatch& messages) override {
        {
            std::lock_guard lock(_mutex);
            _batches.push_back(messages);
        }
        _arrived.notify_all();
    }

    // Blocks until at least count batches have come; no polling.
    std::vector<MidiBatch> waitForBatches(std::size_t count) {
        std::unique_lock lock(_mutex);
        _arrived.wait(lock, [&] { return _batches.size() >= count; });
        return _batches;
    }

    std::vector<MidiBatch> batches() const {
        std::lock_guard lock(_mutex);
        return _batches;
    }

private:
    mutable std::mutex _mutex;
    std::condition_variable _arrived;
    std::vector<MidiBatch> _batches;
};
