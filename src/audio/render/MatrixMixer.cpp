#include "audio/render/MatrixMixer.h"

#include "audio/core/KivAudioBufferList.h"
#include "audio/render/KivVectorMath.h"
#include "foundation/KivLog.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <utility>

namespace {
constexpr std::uint32_t kMaxChannelsPerSide = 65536;

// Each side's channels must stay below 65536 so that every crosspoint has its
// own element number. Answers the channel total, or 0 for a refused side.
std::uint64_t countChannels(const std::vector<std::uint32_t>& buses) {
    std::uint64_t total = 0;
    for (std::uint32_t channels : buses) {
        if (channels == 0) {
            return 0;
        }
        total += channels;
    }
    return total < kMaxChannelsPerSide ? total : 0;
}

template <typename T>
std::unique_ptr<std::atomic<T>[]> atomicArray(std::uint32_t count, T value) {
    auto array = std::make_unique<std::atomic<T>[]>(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        array[i].store(value, std::memory_order_relaxed);
    }
    return array;
}
} // namespace

std::unique_ptr<MatrixMixer> MatrixMixer::create(const Layout& layout) {
    const std::uint64_t inputs = countChannels(layout.inputBusChannels);
    const std::uint64_t outputs = countChannels(layout.outputBusChannels);
    if (inputs == 0 || outputs == 0 || layout.maxFramesPerBlock == 0) {
        logFormat("Error: MatrixMixer can't mix %zu input buses (%llu channels) to %zu output "
                  "buses (%llu channels) in blocks of %u frames",
                  layout.inputBusChannels.size(), static_cast<unsigned long long>(inputs),
                  layout.outputBusChannels.size(), static_cast<unsigned long long>(outputs),
                  layout.maxFramesPerBlock);
        return nullptr;
    }
    try {
        return std::unique_ptr<MatrixMixer>(new MatrixMixer(layout));
    } catch (const std::bad_alloc&) {
        logFormat("Error: MatrixMixer has no memory for %llu by %llu channels",
                  static_cast<unsigned long long>(inputs),
                  static_cast<unsigned long long>(outputs));
        return nullptr;
    }
}

MatrixMixer::MatrixMixer(const Layout& layout)
    : _maxFrames(layout.maxFramesPerBlock)
    , _ballistics(layout.sampleRate)
    , _meteringInputs(layout.meterInputs)
    , _meteringOutputs(layout.meterOutputs) {
    _busFirst.push_back(0);
    for (std::uint32_t channels : layout.inputBusChannels) {
        _busFirst.push_back(_busFirst.back() + channels);
        _maxBusChannels = std::max(_maxBusChannels, channels);
    }
    _inputChannels = _busFirst.back();
    for (std::uint32_t channels : layout.outputBusChannels) {
        _outputChannels += channels;
    }

    _inputGains = atomicArray(_inputChannels, 1.0f);
    _outputGains = atomicArray(_outputChannels, 1.0f);
    _crosspoints = atomicArray(_inputChannels * _outputChannels, 0.0f);
    _routeCounts = atomicArray<std::uint32_t>(_inputChannels, 0);
    _busEnabled = atomicArray(inputBusCount(), true);
    _inputMeters = std::make_unique<ChannelMeter[]>(_inputChannels);
    _outputMeters = std::make_unique<ChannelMeter[]>(_outputChannels);

    _busSamples.assign(static_cast<std::size_t>(_maxBusChannels) * _maxFrames, 0.0f);
    _busChannels.assign(_maxBusChannels, nullptr);
    _busInputGains.assign(_maxBusChannels, 0.0f);
    _routes.assign(static_cast<std::size_t>(_maxBusChannels) * _outputChannels,
                   Route{0, 0.0f, 0.0f});
    _routeBegin.assign(_maxBusChannels + 1, 0);
    _blockOutputs.assign(_outputChannels, nullptr);
    _meteredInCycle.assign(_inputChannels, 0);
    _metered.assign(_inputChannels, 0);
    _meteredBefore.assign(_inputChannels, 0);
    _appliedRoutes.assign(static_cast<std::size_t>(_inputChannels) * _outputChannels, 0.0f);
    _rowApplied.assign(_inputChannels, 0);
    _appliedOutputs.assign(_outputChannels, 0.0f);
    _busMixedInBlock.assign(inputBusCount(), 0);
}

std::uint32_t MatrixMixer::firstInputChannelOfBus(std::uint32_t bus) const {
    return bus < inputBusCount() ? _busFirst[bus] : _inputChannels;
}

void MatrixMixer::setCrosspoint(std::uint32_t input, std::uint32_t output, float gain) {
    // The exchange tells exactly one setter about each change between zero
    // and non-zero, so the route count stays right under concurrent setters.
    const float old =
        _crosspoints[static_cast<std::size_t>(input) * _outputChannels + output].exchange(
            gain, std::memory_order_relaxed);
    if ((old == 0.0f) != (gain == 0.0f)) {
        if (gain != 0.0f) {
            _routeCounts[input].fetch_add(1, std::memory_order_relaxed);
        } else {
            _routeCounts[input].fetch_sub(1, std::memory_order_relaxed);
        }
    }
}

std::int32_t MatrixMixer::setParameter(MixerParameter parameter, MixerScope scope,
                                       std::uint32_t element, float value) {
    if (!std::isfinite(value)) {
        return MixerStatus::InvalidValue;
    }
    switch (parameter) {
    case MixerParameter::Volume:
        switch (scope) {
        case MixerScope::Global: {
            if (element == kMixerMasterElement) {
                _master.store(value, std::memory_order_relaxed);
                return MixerStatus::Ok;
            }
            const std::uint32_t input = element >> 16;
            const std::uint32_t output = element & 0xFFFFu;
            if (input >= _inputChannels || output >= _outputChannels) {
                return MixerStatus::InvalidElement;
            }
            setCrosspoint(input, output, value);
            return MixerStatus::Ok;
        }
        case MixerScope::Input:
            if (element >= _inputChannels) {
                return MixerStatus::InvalidElement;
            }
            _inputGains[element].store(value, std::memory_order_relaxed);
            return MixerStatus::Ok;
        case MixerScope::Output:
            if (element >= _outputChannels) {
                return MixerStatus::InvalidElement;
            }
            _outputGains[element].store(value, std::memory_order_relaxed);
            return MixerStatus::Ok;
        }
        return MixerStatus::InvalidScope;
    case MixerParameter::Enable:
        if (scope != MixerScope::Input) {
            return MixerStatus::InvalidScope;
        }
        if (element >= inputBusCount()) {
            return MixerStatus::InvalidElement;
        }
        _busEnabled[element].store(value != 0.0f, std::memory_order_relaxed);
        return MixerStatus::Ok;
    case MixerParameter::PostAveragePower:
    case MixerParameter::PostPeakHoldLevel:
        return MixerStatus::ParameterNotWritable;
    }
    return MixerStatus::InvalidParameter;
}

std::int32_t MatrixMixer::parameter(MixerParameter parameter, MixerScope scope,
                                    std::uint32_t element, float& value) const {
    switch (parameter) {
    case MixerParameter::Volume:
        switch (scope) {
        case MixerScope::Global: {
            if (element == kMixerMasterElement) {
                value = _master.load(std::memory_order_relaxed);
                return MixerStatus::Ok;
            }
            const std::uint32_t input = element >> 16;
            const std::uint32_t output = element & 0xFFFFu;
            if (input >= _inputChannels || output >= _outputChannels) {
                return MixerStatus::InvalidElement;
            }
            value = _crosspoints[static_cast<std::size_t>(input) * _outputChannels + output].load(
                std::memory_order_relaxed);
            return MixerStatus::Ok;
        }
        case MixerScope::Input:
            if (element >= _inputChannels) {
                return MixerStatus::InvalidElement;
            }
            value = _inputGains[element].load(std::memory_order_relaxed);
            return MixerStatus::Ok;
        case MixerScope::Output:
            if (element >= _outputChannels) {
                return MixerStatus::InvalidElement;
            }
            value = _outputGains[element].load(std::memory_order_relaxed);
            return MixerStatus::Ok;
        }
        return MixerStatus::InvalidScope;
    case MixerParameter::Enable:
        if (scope != MixerScope::Input) {
            return MixerStatus::InvalidScope;
        }
        if (element >= inputBusCount()) {
            return MixerStatus::InvalidElement;
        }
        value = _busEnabled[element].load(std::memory_order_relaxed) ? 1.0f : 0.0f;
        return MixerStatus::Ok;
    case MixerParameter::PostAveragePower:
    case MixerParameter::PostPeakHoldLevel: {
        const ChannelMeter* meter = nullptr;
        if (scope == MixerScope::Input && element < _inputChannels) {
            meter = &_inputMeters[element];
            _meteringInputs.store(true, std::memory_order_relaxed);
        } else if (scope == MixerScope::Output && element < _outputChannels) {
            meter = &_outputMeters[element];
            _meteringOutputs.store(true, std::memory_order_relaxed);
        } else if (scope == MixerScope::Global) {
            return MixerStatus::InvalidScope;
        } else {
            return MixerStatus::InvalidElement;
        }
        value = parameter == MixerParameter::PostAveragePower ? meter->averagePowerDb()
                                                              : meter->peakHoldLevelDb();
        return MixerStatus::Ok;
    }
    }
    return MixerStatus::InvalidParameter;
}

MatrixLevels MatrixLevels::resized(std::uint32_t newInputs, std::uint32_t newOutputs) const {
    MatrixLevels sized;
    sized.inputChannels = newInputs;
    sized.outputChannels = newOutputs;
    sized.master = master;
    sized.inputs.assign(newInputs, 1.0f);
    sized.outputs.assign(newOutputs, 1.0f);
    sized.crosspoints.assign(static_cast<std::size_t>(newInputs) * newOutputs, 0.0f);
    for (std::uint32_t n = 0; n < newInputs; ++n) {
        const bool kept = n < inputChannels && n < inputs.size();
        if (kept) {
            sized.inputs[n] = inputs[n];
        }
        for (std::uint32_t m = 0; m < newOutputs; ++m) {
            const std::size_t old = static_cast<std::size_t>(n) * outputChannels + m;
            if (kept && m < outputChannels && old < crosspoints.size()) {
                sized.crosspoints[static_cast<std::size_t>(n) * newOutputs + m] = crosspoints[old];
            } else if (!kept && m == n) {
                sized.crosspoints[static_cast<std::size_t>(n) * newOutputs + m] = 1.0f;
            }
        }
    }
    for (std::uint32_t m = 0; m < newOutputs && m < outputChannels && m < outputs.size(); ++m) {
        sized.outputs[m] = outputs[m];
    }
    return sized;
}

MatrixLevels MatrixMixer::levels() const {
    MatrixLevels levels;
    levels.inputChannels = _inputChannels;
    levels.outputChannels = _outputChannels;
    levels.master = _master.load(std::memory_order_relaxed);
    levels.inputs.resize(_inputChannels);
    for (std::uint32_t n = 0; n < _inputChannels; ++n) {
        levels.inputs[n] = _inputGains[n].load(std::memory_order_relaxed);
    }
    levels.outputs.resize(_outputChannels);
    for (std::uint32_t m = 0; m < _outputChannels; ++m) {
        levels.outputs[m] = _outputGains[m].load(std::memory_order_relaxed);
    }
    const std::size_t crosspoints = static_cast<std::size_t>(_inputChannels) * _outputChannels;
    levels.crosspoints.resize(crosspoints);
    for (std::size_t i = 0; i < crosspoints; ++i) {
        levels.crosspoints[i] = _crosspoints[i].load(std::memory_order_relaxed);
    }
    return levels;
}

std::int32_t MatrixMixer::setLevels(const MatrixLevels& levels) {
    const std::size_t crosspoints = static_cast<std::size_t>(_inputChannels) * _outputChannels;
    if (levels.inputChannels != _inputChannels || levels.outputChannels != _outputChannels ||
        levels.inputs.size() != _inputChannels || levels.outputs.size() != _outputChannels ||
        levels.crosspoints.size() != crosspoints) {
        return MixerStatus::InvalidValue;
    }
    const auto finite = [](float v) { return std::isfinite(v); };
    if (!std::isfinite(levels.master) ||
        !std::all_of(levels.inputs.begin(), levels.inputs.end(), finite) ||
        !std::all_of(levels.outputs.begin(), levels.outputs.end(), finite) ||
        !std::all_of(levels.crosspoints.begin(), levels.crosspoints.end(), finite)) {
        return MixerStatus::InvalidValue;
    }
    _master.store(levels.master, std::memory_order_relaxed);
    for (std::uint32_t n = 0; n < _inputChannels; ++n) {
        _inputGains[n].store(levels.inputs[n], std::memory_order_relaxed);
        for (std::uint32_t m = 0; m < _outputChannels; ++m) {
            setCrosspoint(n, m,
                          levels.crosspoints[static_cast<std::size_t>(n) * _outputChannels + m]);
        }
    }
    for (std::uint32_t m = 0; m < _outputChannels; ++m) {
        _outputGains[m].store(levels.outputs[m], std::memory_order_relaxed);
    }
    return MixerStatus::Ok;
}

std::int32_t MatrixMixer::process(MatrixMixerInput& input, const AudioChannels& outputs) {
    if (outputs.channelCount != _outputChannels || outputs.channels == nullptr) {
        KivSilenceAudioBufferList(outputs);
        return MixerStatus::ChannelCountMismatch;
    }
    if (outputs.frameCount == 0) {
        return MixerStatus::Ok;
    }

    ++_cycle;
    std::swap(_metered, _meteredBefore);
    _meteredBeforeCount = _meteredCount;
    _meteredCount = 0;

    std::int32_t status = MixerStatus::Ok;
    for (std::uint32_t done = 0; done < outputs.frameCount;) {
        const std::uint32_t frames = std::min(_maxFrames, outputs.frameCount - done);
        const bool jump = std::exchange(_jumpGains, false);
        ++_block;
        for (std::uint32_t m = 0; m < _outputChannels; ++m) {
            float* out = outputs.channels[m];
            _blockOutputs[m] = out ? out + done : nullptr;
            if (out) {
                std::memset(out + done, 0, sizeof(float) * frames);
            }
        }
        const MeterBallistics::Step step = _ballistics.step(frames);
        for (std::uint32_t bus = 0; bus < inputBusCount(); ++bus) {
            if (!_busEnabled[bus].load(std::memory_order_relaxed)) {
                continue;
            }
            const std::int32_t busStatus = mixBus(input, bus, frames, step, jump);
            if (busStatus != MixerStatus::Ok && status == MixerStatus::Ok) {
                status = busStatus;
            }
        }
        finishOutputs(frames, step, jump);
        done += frames;
    }
    resetStaleInputMeters();
    return status;
}

std::int32_t MatrixMixer::mixBus(MatrixMixerInput& input, std::uint32_t bus, std::uint32_t frames,
                                 const MeterBallistics::Step& step, bool jump) {
    const std::uint32_t first = _busFirst[bus];
    const std::uint32_t channels = _busFirst[bus + 1] - first;
    // A bus that was silent in the block before has nothing to ramp from.
    const bool ramp = !jump && _busMixedInBlock[bus] + 1 == _block;

    // Decide before the pull which channels are read: those with a non-zero
    // gain to an output being rendered, now or at the end of the last block
    // (a channel being faded out is read until its ramp ends). The gains are
    // read once here, so one block mixes with one set of values.
    std::uint32_t routeCount = 0;
    for (std::uint32_t k = 0; k < channels; ++k) {
        const std::uint32_t n = first + k;
        _routeBegin[k] = routeCount;
        const float inputGain = _inputGains[n].load(std::memory_order_relaxed);
        _busInputGains[k] = inputGain;
        const bool routed =
            inputGain != 0.0f && _routeCounts[n].load(std::memory_order_relaxed) != 0;
        if (routed || _rowApplied[n] != 0) {
            const std::atomic<float>* row =
                &_crosspoints[static_cast<std::size_t>(n) * _outputChannels];
            float* applied = &_appliedRoutes[static_cast<std::size_t>(n) * _outputChannels];
            bool rowApplied = false;
            for (std::uint32_t m = 0; m < _outputChannels; ++m) {
                const float to = routed ? inputGain * row[m].load(std::memory_order_relaxed) : 0.0f;
                const float from = ramp ? applied[m] : to;
                applied[m] = to;
                rowApplied = rowApplied || to != 0.0f;
                if (_blockOutputs[m] != nullptr && (from != 0.0f || to != 0.0f)) {
                    _routes[routeCount++] = Route{m, from, to};
                }
            }
            _rowApplied[n] = rowApplied ? 1 : 0;
        }
        _busChannels[k] = routeCount > _routeBegin[k]
                              ? &_busSamples[static_cast<std::size_t>(k) * _maxFrames]
                              : nullptr;
    }
    _routeBegin[channels] = routeCount;
    const bool metered = _meteringInputs.load(std::memory_order_relaxed);

    const std::int32_t status =
        input.renderBus(bus, AudioChannels{_busChannels.data(), channels, frames});
    if (status != MixerStatus::Ok) {
        return status;
    }
    _busMixedInBlock[bus] = _block;

    for (std::uint32_t k = 0; k < channels; ++k) {
        const float* __restrict in = _busChannels[k];
        if (in == nullptr) {
            continue;
        }
        const std::uint32_t n = first + k;
        if (metered) {
            const float inputGain = _busInputGains[k];
            const BlockLevel level = measureBlock(in, frames);
            _ballistics.apply(_inputMeters[n], level.peak * std::fabs(inputGain),
                              level.meanSquare * inputGain * inputGain, step);
            if (_meteredInCycle[n] != _cycle) {
                _meteredInCycle[n] = _cycle;
                _metered[_meteredCount++] = n;
            }
        }
        for (std::uint32_t r = _routeBegin[k]; r < _routeBegin[k + 1]; ++r) {
            const Route& route = _routes[r];
            float* __restrict out = _blockOutputs[route.output];
            if (route.from != route.to) {
                KivVectorMath::addRamped(out, in, frames, route.from, route.to);
            } else {
                KivVectorMath::addScaled(out, in, frames, route.to);
            }
        }
    }
    return MixerStatus::Ok;
}

void MatrixMixer::finishOutputs(std::uint32_t frames, const MeterBallistics::Step& step,
                                bool jump) {
    const bool metered = _meteringOutputs.load(std::memory_order_relaxed);
    const float master = _master.load(std::memory_order_relaxed);
    for (std::uint32_t m = 0; m < _outputChannels; ++m) {
        const float to = master * _outputGains[m].load(std::memory_order_relaxed);
        const float from = jump ? to : _appliedOutputs[m];
        _appliedOutputs[m] = to;
        float* __restrict out = _blockOutputs[m];
        if (out == nullptr) {
            if (metered) {
                _outputMeters[m].reset();
            }
            continue;
        }
        if (from != to) {
            KivVectorMath::scaleRamped(out, frames, from, to);
        } else if (to != 1.0f) {
            KivVectorMath::scale(out, frames, to);
        }
        if (metered) {
            const BlockLevel level = measureBlock(out, frames);
            _ballistics.apply(_outputMeters[m], level.peak, level.meanSquare, step);
        }
    }
}

void MatrixMixer::resetStaleInputMeters() {
    // A channel that stopped being read (unrouted, muted, bus disabled or
    // failing) drops to the floor rather than freezing at its last level.
    for (std::uint32_t i = 0; i < _meteredBeforeCount; ++i) {
        const std::uint32_t n = _meteredBefore[i];
        if (_meteredInCycle[n] != _cycle) {
            _inputMeters[n].reset();
        }
    }
}
