#pragma once

#include "platform/midi/SMMessageDestination.h"

#include <atomic>
#include <mutex>

// Passes on the messages of the kinds its mask lets through, as one batch.
class SMMessageFilter : public SMMessageDestination {
public:
    // Mask bits.
    static constexpr unsigned kNoteMessages = 1;       // note on, note off
    static constexpr unsigned kOtherVoiceMessages = 2; // pressure, controller, program, bend

    // Any thread. Once it has returned, the old destination gets nothing more.
    void setMessageDestination(SMMessageDestination* destination);
    // Any thread; 0 (the initial mask) lets nothing through.
    void setFilterMask(unsigned mask) { _mask.store(mask, std::memory_order_relaxed); }
    unsigned filterMask() const { return _mask.load(std::memory_order_relaxed); }

    // Reader threads. A batch with nothing left after filtering is dropped.
    // Deliveries are serialised, so the destination is never entered by two
    // streams at once.
    void takeMIDIMessages(const MidiBatch& messages) override;

private:
    std::atomic<unsigned> _mask{0};
    // Held while delivering, so that clearing the destination waits for a
    // delivery in progress.
    std::mutex _destinationMutex;
    SMMessageDestination* _destination = nullptr; // guarded by _destinationMutex
};
