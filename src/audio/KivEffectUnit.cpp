#include "audio/KivEffectUnit.h"

#include "platform/effects/EffectStatus.h"

namespace {

bool isWorkingFormat(const KivAudioStreamDescription& format) {
    return format.isLinearPCMFormat() && (format.flags() & kKivFormatFlagIsFloat) &&
           !format.isInterleaved() && format.bitsPerChannel() == 32 && format.sampleRate() > 0.0 &&
           format.channels() > 0;
}

} // namespace

KivEffectUnit::KivEffectUnit(KivAudioComponentDescription description,
                             std::unique_ptr<EffectProcessor> processor)
    : _description(std::move(description))
    , _processor(std::move(processor)) {}

bool KivEffectUnit::takesChannels(std::uint32_t channels, bool input) const {
    for (const EffectChannelPair& pair : _processor->supportedChannels()) {
        const std::int16_t count = input ? pair.inputs : pair.outputs;
        if (count == -1 || (count > 0 && static_cast<std::uint32_t>(count) == channels)) {
            return true;
        }
    }
    return false;
}

std::uint32_t KivEffectUnit::preferredChannels() const {
    for (const EffectChannelPair& pair : _processor->supportedChannels()) {
        if (pair.inputs > 0) {
            return static_cast<std::uint32_t>(pair.inputs);
        }
    }
    return 2;
}

KivAudioStreamDescription KivEffectUnit::inputFormat() const {
    return _inputFormat
               ? *_inputFormat
               : KivAudioStreamDescription::descriptionWithRate(44100.0, preferredChannels());
}

KivAudioStreamDescription KivEffectUnit::outputFormat() const {
    return _outputFormat
               ? *_outputFormat
               : KivAudioStreamDescription::descriptionWithRate(44100.0, preferredChannels());
}

std::int32_t KivEffectUnit::setInputFormat(const KivAudioStreamDescription& format) {
    if (_initialized) {
        return kEffectUnitInitialized;
    }
    if (!isWorkingFormat(format) || !takesChannels(format.channels(), true)) {
        return kEffectFormatNotSupported;
    }
    _inputFormat = format;
    return kEffectNoErr;
}

std::int32_t KivEffectUnit::setOutputFormat(const KivAudioStreamDescription& format) {
    if (_initialized) {
        return kEffectUnitInitialized;
    }
    if (!isWorkingFormat(format) || !takesChannels(format.channels(), false)) {
        return kEffectFormatNotSupported;
    }
    _outputFormat = format;
    return kEffectNoErr;
}

bool KivEffectUnit::formatsAgree() const {
    const KivAudioStreamDescription input = inputFormat();
    const KivAudioStreamDescription output = outputFormat();
    return input.sampleRate() == output.sampleRate() && input.channels() == output.channels();
}

std::int32_t KivEffectUnit::initialize(const EffectRenderLock& held, std::uint32_t maxFrames) {
    if (!formatsAgree()) {
        return kEffectFormatNotSupported;
    }
    const KivAudioStreamDescription input = inputFormat();
    const std::int32_t status =
        _processor->prepare(held, input.sampleRate(), maxFrames, input.channels());
    _initialized = status == kEffectNoErr;
    return status;
}
