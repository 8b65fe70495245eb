#pragma once

#include "audio/core/AudioChannels.h"
#include "audio/render/KivRetireList.h"

#include <cstdint>
#include <memory>
#include <vector>

class KivEffectUnit;

// The effects a source's render path runs, in processing order, each in place
// on the chain's buffers. Built on a control thread and handed to the render
// thread whole; never changed once handed over.
//
// A chain built to follow another also carries the way from that one to
// itself, so that a change never leaves a gap or a click. Units both chains
// have keep their place and run once; where the chains differ, the old
// stretch runs on the signal and the new one on a copy of it, the new one
// alone for a warm-up (its latency: a new delay line fills), then the signal
// crossfades linearly from the old stretch's output to the new one's. A unit
// can only run once a block, so units the new chain has in another order
// than the old one are not shared: see moved().
class KivEffectChain final : public KivRetired {
public:
    // The length of the crossfade.
    static constexpr double kFadeSeconds = 0.005;

    // Control thread. `units` in processing order, each prepared for
    // `channels` channels and at least `maxFrames` frames a call. With a
    // chain to follow (`from`, which must live while this one's way from it
    // runs), the way from it; none when the two run the same units.
    KivEffectChain(std::vector<std::shared_ptr<KivEffectUnit>> units, const KivEffectChain* from,
                   std::uint32_t channels, std::uint32_t maxFrames, double sampleRate);

    // Control thread. Units of `units` that `from` has too but that cannot
    // keep their place, because the order changed around them: a longest run
    // of units both have in the same order keeps its units; the rest of the
    // units both have are answered here, so that their effects can be given
    // new units (see KivStream::makeUnitLike) before the chain is built.
    static std::vector<KivEffectUnit*>
    moved(const KivEffectChain* from, const std::vector<std::shared_ptr<KivEffectUnit>>& units);

    const std::vector<std::shared_ptr<KivEffectUnit>>& units() const { return _units; }
    // The chain this one was built to follow; none when it follows none or
    // has no way from it.
    const KivEffectChain* follows() const { return _follows; }
    // Frames of the way from the chain followed: the warm-up and the fade.
    std::uint32_t transitionFrames() const { return _warmUpFrames + _fadeFrames; }

    // Render thread: every unit on `data` in place (no channel null, at most
    // maxFrames frames). Answers the first non-zero status of a unit.
    std::int32_t process(const AudioChannels& data) const;
    // Render thread: frames [done, done + data.frameCount) of the way from
    // the chain followed, on `data` in place, as process() takes it.
    std::int32_t processTransition(const AudioChannels& data, std::uint32_t done);

private:
    // A stretch where the chains differ: the old units run on the signal,
    // the new ones on the copy.
    struct Region {
        std::vector<KivEffectUnit*> before;
        std::vector<KivEffectUnit*> after;
    };
    // Either a unit both chains have, run once, or a region.
    struct Step {
        KivEffectUnit* unit = nullptr;
        std::size_t region = 0;
    };

    float fadeGain(std::uint32_t position) const;

    std::vector<std::shared_ptr<KivEffectUnit>> _units;
    const KivEffectChain* _follows = nullptr;
    std::vector<Step> _steps;
    std::vector<Region> _regions;
    std::uint32_t _warmUpFrames = 0;
    std::uint32_t _fadeFrames = 0;
    std::uint32_t _maxFrames = 0;
    // Render thread, during the way only: the copy the new stretches run on.
    std::vector<float> _copy;
    std::vector<float*> _copyChannels;
};
