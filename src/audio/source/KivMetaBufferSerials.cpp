#include "audio/source/KivMetaBufferSerials.h"

void KivMetaBufferSerials::planFresh(std::span<const KivSlice> slices, std::int64_t frame,
                                     KivMetaBufferWant wants[2]) {
    wants[0] = KivMetaBufferWant{};
    wants[1] = KivMetaBufferWant{};
    if (slices.empty()) {
        return;
    }
    if (frame < slices.back().endFrame) {
        wants[0] = KivMetaBufferWant{next(), frame, true};
    }
    const std::size_t j = KivSliceIndexOfNextJump(frame, slices);
    if (j < slices.size()) {
        wants[1] = KivMetaBufferWant{next(), slices[j].startFrame, false};
    }
}
