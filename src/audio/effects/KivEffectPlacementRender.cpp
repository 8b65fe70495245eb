// Render thread only, kept apart from the main thread's code of KivEffectPlacement.
#include "audio/core/KivAudioBufferList.h"
#include "audio/effects/KivEffectPlacement.h"
#include "audio/effects/KivEffectUnit.h"
#include "foundation/KivClock.h"
#include "platform/effects/EffectStatus.h"

std::int32_t KivEffectPlacement::render(KivRenderFlags& flags, const KivRenderTimeStamp& timeStamp,
                                        std::uint32_t busNumber, const AudioChannels& data) {
    if (KivEffectUnit* unit = _renderUnit.load(std::memory_order_acquire)) {
        const std::int32_t status = unit->render(flags, timeStamp, busNumber, data);
        if (status != kEffectNoErr) {
            _renderErrors.logStatusError(CurrentTimeInSeconds(), status, "KivEffect::render",
                                         __LINE__);
        }
        return status;
    }
    KivSilenceAudioBufferList(data);
    return kEffectUninitialized;
}
