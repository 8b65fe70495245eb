#pragma once

#include "audio/source/KivSlice.h"

#include <atomic>
#include <cstdint>
#include <span>

// A read-ahead buffer a meta buffer asks for: `serial` names the request (0:
// none), `plays` marks the one that plays at once from the position.
struct KivMetaBufferWant {
    std::uint64_t serial = 0;
    std::int64_t startFrame = 0;
    bool plays = false;
};

// The serials a meta buffer names its states and requests by, drawn from
// every thread, the render thread included; never 0.
class KivMetaBufferSerials {
public:
    std::uint64_t next() { return _last.fetch_add(1, std::memory_order_relaxed) + 1; }

    // The buffers a start from `frame` asks for, one that plays and the
    // pre-roll of the next jump.
    void planFresh(std::span<const KivSlice> slices, std::int64_t frame,
                   KivMetaBufferWant wants[2]);

private:
    std::atomic<std::uint64_t> _last{0};
};
