#include "audio/effects/KivEffectUnit.h"

#include "audio/core/KivAudioBufferList.h"
#include "foundation/ThreadRole.h"
#include "platform/effects/EffectStatus.h"

#include <algorithm>

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
    if (_inputFormat && *_inputFormat == format) {
        return kEffectNoErr;
    }
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
    if (_outputFormat && *_outputFormat == format) {
        return kEffectNoErr;
    }
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
    if (_initialized) {
        _maxFrames = maxFrames;
        _scratch.assign(static_cast<std::size_t>(maxFrames) * input.channels(), 0.0f);
        _channels.assign(input.channels(), nullptr);
    }
    return status;
}

std::int32_t KivEffectUnit::checkFit(const AudioChannels& data) const {
    if (data.channelCount == _channels.size() && data.frameCount <= _maxFrames) {
        return kEffectNoErr;
    }
    KivSilenceAudioBufferList(data);
    return data.frameCount > _maxFrames ? kEffectTooManyFramesToProcess : kEffectFormatNotSupported;
}

std::int32_t KivEffectUnit::render(KivRenderFlags& flags, const KivRenderTimeStamp& timeStamp,
                                   std::uint32_t busNumber, const AudioChannels& data) {
    assertRenderThread();
    if (!_initialized || !_input.isSet()) {
        KivSilenceAudioBufferList(data);
        if (!_initialized) {
            return _input.call(flags, timeStamp, 0, data);
        }
    }
    if (const std::int32_t status = checkFit(data); status != kEffectNoErr) {
        return status;
    }
    for (std::uint32_t k = 0; k < data.channelCount; ++k) {
        _channels[k] = data.channels[k] != nullptr
                           ? data.channels[k]
                           : _scratch.data() + static_cast<std::size_t>(k) * _maxFrames;
    }
    const AudioChannels buffers{_channels.data(), data.channelCount, data.frameCount};
    const std::int32_t status = _input.call(flags, timeStamp, 0, buffers);
    _processor->process(_channels.data(), _channels.data(), data.frameCount);
    return status;
}

std::int32_t KivEffectUnit::process(const AudioChannels& data) {
    assertRenderThread();
    if (!_initialized) {
        return kEffectNoErr;
    }
    if (const std::int32_t status = checkFit(data); status != kEffectNoErr) {
        return status;
    }
    _processor->process(data.channels, data.channels, data.frameCount);
    return kEffectNoErr;
}
