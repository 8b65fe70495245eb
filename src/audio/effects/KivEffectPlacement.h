#pragma once

#include "audio/core/KivAudioStreamDescription.h"
#include "audio/core/KivError.h"
#include "audio/render/KivRenderInfo.h"
#include "foundation/RenderLogLimiter.h"
#include "platform/effects/EffectProcessor.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>

class KivEffectIdentity;
class KivEffectUnit;
class KivStream;

// Where an effect runs: the stream it is placed in, its node there and the
// node's unit, the node's connections and formats, and the render path to the
// unit. Main thread, but render(); changes of the unit hold the stream's
// render lock. Failures are logged under the effect's name.
class KivEffectPlacement {
public:
    explicit KivEffectPlacement(const KivEffectIdentity& identity);
    KivEffectPlacement(const KivEffectPlacement&) = delete;
    KivEffectPlacement& operator=(const KivEffectPlacement&) = delete;

    KivStream* stream() const { return _stream; }
    std::int32_t node() const { return _node; }
    // The node's unit; none outside a stream.
    KivEffectUnit* unit() const;
    // Keeps both (no node outside a stream), and the node's unit for render().
    void place(KivStream* stream, std::int32_t node);
    // The node's unit was replaced: render() reaches `unit` from now on. The
    // old unit is let go of only under the render lock, after this.
    void setRenderUnit(KivEffectUnit* unit) { _renderUnit.store(unit, std::memory_order_release); }

    // See KivEffect.
    bool connectToInputOf(const KivEffectPlacement& other, std::uint32_t bus, KivError* error);
    bool setRenderCallback(const KivRenderInfo& info, std::uint32_t bus, KivError* error);
    void clearRenderCallback(std::uint32_t bus);
    std::optional<KivAudioStreamDescription> inputStreamFormat() const;
    std::optional<KivAudioStreamDescription> outputStreamFormat() const;
    bool setFormat(bool input, const KivAudioStreamDescription& format, KivError* error);

    using ProcessorChange = std::function<std::int32_t(EffectProcessor&, const EffectRenderLock&)>;
    // Runs `change` on the processor of the unit, holding the render lock:
    // in place, or, for a unit a render path runs from a chain, on a new
    // unit like it that then takes its place. Answers the change's status.
    std::int32_t changeProcessor(KivEffectUnit& unit, const ProcessorChange& change);

    // Render thread; see KivEffect::render.
    std::int32_t render(KivRenderFlags& flags, const KivRenderTimeStamp& timeStamp,
                        std::uint32_t busNumber, const AudioChannels& data);

private:
    const KivEffectIdentity& _identity;
    KivStream* _stream = nullptr;
    std::int32_t _node = 0;
    // The node's unit as render() reaches it.
    std::atomic<KivEffectUnit*> _renderUnit{nullptr};
    RenderLogLimiter _renderErrors; // render thread
};
