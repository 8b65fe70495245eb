#pragma once

#include "audio/core/KivAudioStreamDescription.h"
#include "audio/render/KivRenderInfo.h"
#include "foundation/KivArchivable.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class KivEffect;
class KivKeyedDecoder;
class KivStream;

// An ordered chain of effects on one bus. List order is processing order:
// the first effect of the list is applied first. Every effect gets the bus's
// format; one that refuses it stays in the chain (and in the stream) but is
// left out of the signal path.
//
// Main thread only; the stream's render lock guards what the render thread
// reads (see KivStream).
class KivEffectBus : public KivArchivable {
public:
    explicit KivEffectBus(std::uint32_t channels = 2);
    static std::shared_ptr<KivEffectBus> initWithCoder(const KivKeyedDecoder& coder);
    void encodeWithCoder(KivKeyedEncoder& coder) const override;

    const std::string& name() const { return _name; }
    void setName(std::string name) { _name = std::move(name); }
    std::uint32_t channels() const { return _channels; }
    void setChannels(std::uint32_t channels) { _channels = channels; }
    const std::optional<KivAudioStreamDescription>& format() const { return _format; }
    void setFormat(const KivAudioStreamDescription& format) { _format = format; }

    // The chain as the user ordered it.
    std::vector<std::shared_ptr<KivEffect>> effects() const { return _effects; }
    // The current effects that `effects` leaves out go to the dead list; the
    // chain becomes `effects`.
    void setEffects(std::vector<std::shared_ptr<KivEffect>> effects);
    // Appends, unless null or already present (back from the dead list).
    void addEffect(const std::shared_ptr<KivEffect>& effect);
    // When present: out of the chain, into the dead list.
    void removeEffect(const std::shared_ptr<KivEffect>& effect);
    bool containsEffect(const std::shared_ptr<KivEffect>& effect) const;
    // The effects that accepted the format, in processing order.
    const std::vector<std::shared_ptr<KivEffect>>& usedEffects() const { return _usedEffects; }
    // Where the signal enters (the first used effect) and leaves (the last);
    // none when no effect is used.
    std::shared_ptr<KivEffect> firstUsedEffect() const;
    std::shared_ptr<KivEffect> lastUsedEffect() const;
    // "[<name> with <n> effects]"
    std::string description() const;

    // Adds the effects of the chain that are not in the stream yet; errors
    // are logged by the effects and otherwise ignored.
    void addEffectsToStream(KivStream& stream);
    // Takes every effect of the chain and of the dead list out of the stream;
    // empties the dead list and the used list.
    void removeEffectsFromStream(KivStream& stream);
    // Takes the effects of the dead list out of the stream and forgets them.
    void removeDeadEffectsFromStream(KivStream& stream);

    // Fits the chain to the format: each effect gets it on input and output;
    // those that accept both are used. A refusal (-10868) is logged as
    // "Error: %s does not support input format: %s" (or output), and the
    // effect is told the channels it refused (see KivEffect::refusedChannels).
    void setProperties();

    // Wires the used effects in series, in list order: each one's output
    // feeds the next one's input; the inputs of the others are left unfed.
    // The signal enters at firstUsedEffect() and leaves at lastUsedEffect().
    void connectEffects();
    // The same, with the last used effect feeding `target`'s input bus.
    void connectEffectsToEffect(KivEffect& target, std::uint32_t bus = 0);
    // The chain's input end pulls through `info`; false when no effect is used.
    bool setRenderCallback(const KivRenderInfo& info);
    // Fills `info` with the chain's output end (the last used effect); clears
    // it when no effect is used, so the owner pulls its input directly.
    void registerRenderInfo(KivRenderInfo* info) const;

    void saveState();
    void restoreState();
    void setParameters();
    // Sum over the used effects that are enabled.
    double tailTime() const;

private:
    std::string _name;
    std::uint32_t _channels = 2;
    std::optional<KivAudioStreamDescription> _format;
    std::vector<std::shared_ptr<KivEffect>> _effects;
    std::vector<std::shared_ptr<KivEffect>> _usedEffects;
    std::vector<std::shared_ptr<KivEffect>> _deadEffects;
};
