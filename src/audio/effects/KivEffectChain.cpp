#include "audio/effects/KivEffectChain.h"

#include "audio/effects/KivEffectUnit.h"
#include "foundation/ThreadRole.h"
#include "platform/effects/EffectStatus.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

namespace {

std::vector<KivEffectUnit*> pointers(const std::vector<std::shared_ptr<KivEffectUnit>>& units) {
    std::vector<KivEffectUnit*> raw;
    raw.reserve(units.size());
    for (const auto& unit : units) {
        raw.push_back(unit.get());
    }
    return raw;
}

// A longest run of units `a` and `b` both have in the same order, as pairs
// of their places in each.
std::vector<std::pair<std::size_t, std::size_t>> commonRun(const std::vector<KivEffectUnit*>& a,
                                                           const std::vector<KivEffectUnit*>& b) {
    const std::size_t columns = b.size() + 1;
    // longest[i * columns + j]: the longest run in a[i..] and b[j..].
    std::vector<std::size_t> longest((a.size() + 1) * columns, 0);
    for (std::size_t i = a.size(); i-- > 0;) {
        for (std::size_t j = b.size(); j-- > 0;) {
            longest[i * columns + j] = a[i] == b[j] ? longest[(i + 1) * columns + j + 1] + 1
                                                    : std::max(longest[(i + 1) * columns + j],
                                                               longest[i * columns + j + 1]);
        }
    }
    std::vector<std::pair<std::size_t, std::size_t>> run;
    for (std::size_t i = 0, j = 0; i < a.size() && j < b.size();) {
        if (a[i] == b[j]) {
            run.emplace_back(i++, j++);
        } else if (longest[(i + 1) * columns + j] >= longest[i * columns + j + 1]) {
            ++i;
        } else {
            ++j;
        }
    }
    return run;
}

} // namespace

KivEffectChain::KivEffectChain(std::vector<std::shared_ptr<KivEffectUnit>> units,
                               const KivEffectChain* from, std::uint32_t channels,
                               std::uint32_t maxFrames, double sampleRate)
    : _units(std::move(units))
    , _maxFrames(maxFrames) {
    if (from == nullptr) {
        return;
    }
    const std::vector<KivEffectUnit*> before = pointers(from->_units);
    const std::vector<KivEffectUnit*> after = pointers(_units);
    std::size_t i = 0;
    std::size_t j = 0;
    const auto addRegion = [&](std::size_t untilBefore, std::size_t untilAfter) {
        if (i == untilBefore && j == untilAfter) {
            return;
        }
        Region region;
        region.before.assign(before.begin() + static_cast<std::ptrdiff_t>(i),
                             before.begin() + static_cast<std::ptrdiff_t>(untilBefore));
        region.after.assign(after.begin() + static_cast<std::ptrdiff_t>(j),
                            after.begin() + static_cast<std::ptrdiff_t>(untilAfter));
        _steps.push_back(Step{nullptr, _regions.size()});
        _regions.push_back(std::move(region));
    };
    for (const auto& [inBefore, inAfter] : commonRun(before, after)) {
        addRegion(inBefore, inAfter);
        _steps.push_back(Step{after[inAfter], 0});
        i = inBefore + 1;
        j = inAfter + 1;
    }
    addRegion(before.size(), after.size());

    // A unit both chains have out of order would run twice a block: the
    // chain then replaces the old one at once rather than run it so.
    const bool runsTwice = std::any_of(_regions.begin(), _regions.end(), [&](const Region& r) {
        return std::any_of(r.after.begin(), r.after.end(), [&](KivEffectUnit* unit) {
            return std::find(before.begin(), before.end(), unit) != before.end();
        });
    });
    if (_regions.empty() || runsTwice) {
        _regions.clear();
        _steps.clear();
        return;
    }
    _follows = from;
    for (const Region& region : _regions) {
        std::uint32_t latency = 0;
        for (KivEffectUnit* unit : region.after) {
            latency +=
                static_cast<std::uint32_t>(std::lround(unit->processor().latency() * sampleRate));
        }
        _warmUpFrames = std::max(_warmUpFrames, latency);
    }
    _fadeFrames = std::max<std::uint32_t>(
        1, static_cast<std::uint32_t>(std::lround(kFadeSeconds * sampleRate)));
    _copy.assign(static_cast<std::size_t>(channels) * maxFrames, 0.0f);
    for (std::uint32_t k = 0; k < channels; ++k) {
        _copyChannels.push_back(_copy.data() + static_cast<std::size_t>(k) * maxFrames);
    }
}

std::vector<KivEffectUnit*>
KivEffectChain::moved(const KivEffectChain* from,
                      const std::vector<std::shared_ptr<KivEffectUnit>>& units) {
    if (from == nullptr) {
        return {};
    }
    const std::vector<KivEffectUnit*> before = pointers(from->_units);
    const std::vector<KivEffectUnit*> after = pointers(units);
    std::vector<KivEffectUnit*> kept;
    for (const auto& pair : commonRun(before, after)) {
        kept.push_back(after[pair.second]);
    }
    std::vector<KivEffectUnit*> moved;
    for (KivEffectUnit* unit : after) {
        if (std::find(before.begin(), before.end(), unit) != before.end() &&
            std::find(kept.begin(), kept.end(), unit) == kept.end()) {
            moved.push_back(unit);
        }
    }
    return moved;
}

std::int32_t KivEffectChain::process(const AudioChannels& data) const {
    std::int32_t first = kEffectNoErr;
    for (const auto& unit : _units) {
        const std::int32_t status = unit->process(data);
        if (first == kEffectNoErr) {
            first = status;
        }
    }
    return first;
}

float KivEffectChain::fadeGain(std::uint32_t position) const {
    if (position < _warmUpFrames) {
        return 0.0f;
    }
    const std::uint32_t into = position - _warmUpFrames + 1;
    return into >= _fadeFrames ? 1.0f : static_cast<float>(into) / static_cast<float>(_fadeFrames);
}

std::int32_t KivEffectChain::processTransition(const AudioChannels& data, std::uint32_t done) {
    assertRenderThread();
    const std::uint32_t channels =
        std::min(data.channelCount, static_cast<std::uint32_t>(_copyChannels.size()));
    const std::uint32_t frames = std::min(data.frameCount, _maxFrames);
    const AudioChannels copy{_copyChannels.data(), channels, frames};
    std::int32_t first = kEffectNoErr;
    const auto note = [&first](std::int32_t status) {
        if (first == kEffectNoErr) {
            first = status;
        }
    };
    for (const Step& step : _steps) {
        if (step.unit != nullptr) {
            note(step.unit->process(data));
            continue;
        }
        const Region& region = _regions[step.region];
        for (std::uint32_t k = 0; k < channels; ++k) {
            std::memcpy(_copyChannels[k], data.channels[k], frames * sizeof(float));
        }
        for (KivEffectUnit* unit : region.before) {
            note(unit->process(data));
        }
        for (KivEffectUnit* unit : region.after) {
            note(unit->process(copy));
        }
        if (done + frames <= _warmUpFrames) {
            continue;
        }
        for (std::uint32_t k = 0; k < channels; ++k) {
            float* out = data.channels[k];
            const float* in = _copyChannels[k];
            for (std::uint32_t f = 0; f < frames; ++f) {
                out[f] += fadeGain(done + f) * (in[f] - out[f]);
            }
        }
    }
    return first;
}
