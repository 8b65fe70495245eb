#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string_view>

// Bounded lock-free queue of log lines for threads that must not block
// (render threads). Any number of producers, one consumer. Slots are fixed
// storage, so pushing never allocates; a full queue drops the line and counts
// it.
class RealtimeLogQueue {
public:
    static constexpr std::size_t kCapacity = 256;
    static constexpr std::size_t kLineLength = 240;

    RealtimeLogQueue();

    // Any thread. Lines longer than kLineLength are cut. False when full.
    bool push(std::string_view line);

    // Consumer thread only. Calls sink(line) for each queued line, oldest
    // first; returns how many it delivered.
    template <typename Sink>
    std::size_t drain(Sink&& sink) {
        std::size_t count = 0;
        char line[kLineLength + 1];
        std::size_t length = 0;
        while (pop(line, length)) {
            sink(std::string_view(line, length));
            ++count;
        }
        return count;
    }

    // Lines dropped since the last call; resets the count.
    std::uint64_t takeDroppedCount();

private:
    bool pop(char* out, std::size_t& length);

    struct Slot {
        // Vyukov's sequence: equals the ticket when the slot is free for that
        // producer, ticket + 1 when it holds a line for the consumer.
        std::atomic<std::uint64_t> sequence;
        std::uint32_t length;
        char text[kLineLength];
    };

    std::array<Slot, kCapacity> _slots;
    alignas(64) std::atomic<std::uint64_t> _enqueue{0};
    alignas(64) std::atomic<std::uint64_t> _dequeue{0};
    alignas(64) std::atomic<std::uint64_t> _dropped{0};
};
