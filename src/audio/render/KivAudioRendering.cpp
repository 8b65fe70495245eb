#include "audio/render/KivAudioRendering.h"

namespace {
std::int32_t callRender(void* target, const char*, KivRenderFlags& flags,
                        const KivRenderTimeStamp& timeStamp, std::uint32_t busNumber,
                        const AudioChannels& data) {
    return static_cast<KivAudioRendering*>(target)->render(flags, timeStamp, busNumber, data);
}
} // namespace

void KivAudioRendering::registerRenderInfo(KivRenderInfo* info) {
    if (info != nullptr) {
        *info = {this, kRenderSelector, &callRender};
    }
}
