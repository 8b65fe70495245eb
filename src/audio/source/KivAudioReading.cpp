#include "audio/source/KivAudioReading.h"

namespace {
std::uint32_t callReadFrames(void* target, const char*, std::uint32_t frames,
                             const AudioChannels& destination, std::uint32_t offset) {
    return static_cast<KivAudioReading*>(target)->readFrames(frames, destination, offset);
}
} // namespace

void KivAudioReading::registerReadFramesInfo(KivReadFramesInfo* info) {
    if (info != nullptr) {
        *info = {this, kReadFramesSelector, &callReadFrames};
    }
}
