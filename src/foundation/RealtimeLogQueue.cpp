#include "foundation/RealtimeLogQueue.h"

#include <cstring>

RealtimeLogQueue::RealtimeLogQueue() {
    for (std::size_t i = 0; i < kCapacity; ++i) {
        _slots[i].sequence.store(i, std::memory_order_relaxed);
    }
}

bool RealtimeLogQueue::push(std::string_view line) {
    std::uint64_t ticket = _enqueue.load(std::memory_order_relaxed);
    for (;;) {
        Slot& slot = _slots[ticket % kCapacity];
        // acquire: the consumer's release of this slot happens before we write it.
        const std::uint64_t sequence = slot.sequence.load(std::memory_order_acquire);
        const auto diff = static_cast<std::int64_t>(sequence - ticket);
        if (diff == 0) {
            if (_enqueue.compare_exchange_weak(ticket, ticket + 1, std::memory_order_relaxed)) {
                const std::size_t length = line.size() < kLineLength ? line.size() : kLineLength;
                std::memcpy(slot.text, line.data(), length);
                slot.length = static_cast<std::uint32_t>(length);
                // release: the text is visible before the consumer sees the slot as full.
                slot.sequence.store(ticket + 1, std::memory_order_release);
                return true;
            }
        } else if (diff < 0) {
            _dropped.fetch_add(1, std::memory_order_relaxed);
            return false;
        } else {
            ticket = _enqueue.load(std::memory_order_relaxed);
        }
    }
}

bool RealtimeLogQueue::pop(char* out, std::size_t& length) {
    const std::uint64_t ticket = _dequeue.load(std::memory_order_relaxed);
    Slot& slot = _slots[ticket % kCapacity];
    const std::uint64_t sequence = slot.sequence.load(std::memory_order_acquire);
    if (sequence != ticket + 1) {
        return false;
    }
    length = slot.length;
    std::memcpy(out, slot.text, length);
    out[length] = '\0';
    _dequeue.store(ticket + 1, std::memory_order_relaxed);
    // release: our read of the text happens before a producer reuses the slot.
    slot.sequence.store(ticket + kCapacity, std::memory_order_release);
    return true;
}

std::uint64_t RealtimeLogQueue::takeDroppedCount() {
    return _dropped.exchange(0, std::memory_order_relaxed);
}
