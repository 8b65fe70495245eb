#pragma once

#include "audio/core/KivAudioStreamDescription.h"
#include "audio/effects/KivAudioComponentDescription.h"
#include "audio/render/KivAudioRendering.h"
#include "platform/effects/EffectProcessor.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

// Status of a format write to an initialized unit; the writer uninitializes
// the unit, writes again and initializes it.
inline constexpr std::int32_t kEffectUnitInitialized = -10849;
// A render call asked for more frames than the unit was prepared for.
inline constexpr std::int32_t kEffectTooManyFramesToProcess = -10874;
// A bus other than 0 was named.
inline constexpr std::int32_t kEffectInvalidElement = -10877;

// The unit of one stream node: a processor with the formats it was given,
// and what feeds its input bus. Formats are written while the unit is
// uninitialized; initialize() prepares the processor for them. Main thread,
// except render() and process().
class KivEffectUnit : public KivAudioRendering {
public:
    KivEffectUnit(KivAudioComponentDescription description,
                  std::unique_ptr<EffectProcessor> processor);

    const KivAudioComponentDescription& componentDescription() const { return _description; }
    EffectProcessor& processor() { return *_processor; }
    const EffectProcessor& processor() const { return *_processor; }

    // The format of bus 0 of a side: the one written, else the default
    // working format with the unit's preferred channel count.
    KivAudioStreamDescription inputFormat() const;
    KivAudioStreamDescription outputFormat() const;
    // kEffectUnitInitialized while initialized, unless the format is the one
    // the side already has (nothing changes then); kEffectFormatNotSupported
    // for anything but non-interleaved float linear PCM at a positive rate
    // with a channel count the processor takes on that side.
    std::int32_t setInputFormat(const KivAudioStreamDescription& format);
    std::int32_t setOutputFormat(const KivAudioStreamDescription& format);

    // Input and output have the same rate and channel count.
    bool formatsAgree() const;
    // Render lock held. Prepares the processor for the input format;
    // kEffectFormatNotSupported when the formats do not agree.
    std::int32_t initialize(const EffectRenderLock& held, std::uint32_t maxFrames);
    void uninitialize() { _initialized = false; }
    bool isInitialized() const { return _initialized; }

    // Render lock held: what render() pulls its input from (another unit or
    // the owner's callback); an unset record gives silence.
    void setInput(const KivRenderInfo& input) { _input = input; }
    const KivRenderInfo& input() const { return _input; }

    // Render thread, render lock held; allocates nothing. Pulls the input
    // into `data` and processes it in place. `data` must have the prepared
    // channel count (null channels are rendered into the unit's own scratch)
    // and at most the prepared frames. An uninitialized unit passes its
    // input through.
    std::int32_t render(KivRenderFlags& flags, const KivRenderTimeStamp& timeStamp,
                        std::uint32_t busNumber, const AudioChannels& data) override;
    // Render thread; allocates nothing. Processes `data` in place, without
    // pulling: the prepared channel count, none of them null, and at most
    // the prepared frames. An uninitialized unit leaves it as it is.
    std::int32_t process(const AudioChannels& data);

    // Main thread. A render path runs the unit from a chain it was handed
    // rather than under the render lock: from then on the unit is never
    // changed in place (a change makes a new unit; see KivStream::makeUnitLike).
    void handToRenderPath() { _onRenderPath = true; }
    bool isOnRenderPath() const { return _onRenderPath; }

private:
    // Render thread: `data` fits what the unit was prepared for; otherwise
    // silences it and answers why not.
    std::int32_t checkFit(const AudioChannels& data) const;

    bool takesChannels(std::uint32_t channels, bool input) const;
    std::uint32_t preferredChannels() const;

    KivAudioComponentDescription _description;
    std::unique_ptr<EffectProcessor> _processor;
    std::optional<KivAudioStreamDescription> _inputFormat;
    std::optional<KivAudioStreamDescription> _outputFormat;
    bool _initialized = false;
    bool _onRenderPath = false;
    std::uint32_t _maxFrames = 0;

    // Set under the render lock, read by the render thread.
    KivRenderInfo _input;
    // Sized by initialize(); the render thread's scratch for null channels.
    std::vector<float> _scratch;
    std::vector<float*> _channels;
};
