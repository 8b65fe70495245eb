#pragma once

#include "platform/effects/EffectChannelFit.h"
#include "platform/effects/Lv2PortLayout.h"
#include "platform/effects/Lv2World.h"

#include <lv2/core/lv2.h>
#include <lv2/options/options.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

// The live side of one prepared format: the plugin's instances with every
// port connected to a buffer of their own, activated, and fitted to the
// channels as EffectChannelFit says: a plugin with one audio input and one
// output runs one instance per channel; otherwise one instance takes all
// channels, its inputs and outputs mixed or spread where the counts differ.
// Made and destroyed on the main thread, run on the render thread; nothing
// here allocates after create().
class Lv2Runtime {
public:
    // nullptr with kEffectFormatNotSupported when the plugin cannot be
    // fitted to the channels, or kEffectFailedInitialization when the plugin will not instantiate.
    static std::unique_ptr<Lv2Runtime> create(Lv2World& world, const LilvPlugin* plugin,
                                              const Lv2PortLayout& layout, double sampleRate,
                                              std::uint32_t maxFrames, std::uint32_t channels,
                                              std::int32_t& status);
    ~Lv2Runtime();
    Lv2Runtime(const Lv2Runtime&) = delete;
    Lv2Runtime& operator=(const Lv2Runtime&) = delete;

    double sampleRate() const { return _sampleRate; }
    std::uint32_t maxFrames() const { return _maxFrames; }
    std::uint32_t channels() const { return _channels; }
    std::size_t instanceCount() const { return _instances.size(); }
    LilvInstance* instance(std::size_t i) const { return _instances[i].instance; }
    // The features every instance was made with (state restore passes them on).
    const LV2_Feature* const* features() const { return _featureList; }

    // Render thread. Copies the control input values (one per port index;
    // the enabled port, if any, gets `enabled`) in and the first instance's
    // control outputs back, runs every instance on the
    // frames [offset, offset + frames) of each channel buffer, frames being
    // at most maxFrames, and returns the frames of latency the plugin reports.
    // The plugin reads and writes the channel buffers themselves (in place
    // when `input` and `output` are the same), unless it cannot work in
    // place, or its channels are mixed or spread: then it reads and writes
    // its own buffers, filled before and copied out after.
    float run(const float* const* input, float* const* output, std::uint32_t offset,
              std::uint32_t frames, std::atomic<float>* values, float enabled);

private:
    struct Instance {
        LilvInstance* instance = nullptr;
        std::vector<std::vector<float>> floatBuffers;        // by port index; empty for atom ports
        std::vector<std::vector<std::uint64_t>> atomBuffers; // by port index; 8-byte aligned
    };

    Lv2Runtime(Lv2World& world, const Lv2PortLayout& layout, EffectChannelFit fit,
               double sampleRate, std::uint32_t maxFrames, std::uint32_t channels);
    bool instantiate(const LilvPlugin* plugin, std::size_t count);
    void resetAtomPorts(Instance& instance);
    // The one instance of a fit that mixes or spreads, on frames [offset,
    // offset + frames): the inputs gathered from the channels before the run,
    // and the outputs, which the plugin writes into its own buffers, given
    // back to the channels after it.
    void gatherInputs(Instance& instance, const float* const* input, std::uint32_t offset,
                      std::uint32_t frames);
    void giveBackOutputs(Instance& instance, float* const* output, std::uint32_t offset,
                         std::uint32_t frames) const;

    const Lv2PortLayout& _layout;
    const EffectChannelFit _fit;
    // Port indices by what run() does with them.
    std::vector<std::uint32_t> _controlInputs; // the enabled port left out
    std::vector<std::uint32_t> _controlOutputs;
    std::vector<std::uint32_t> _atomPorts;
    double _sampleRate;
    std::uint32_t _maxFrames;
    std::uint32_t _channels;
    std::vector<Instance> _instances;

    std::uint32_t _atomSequence;
    std::uint32_t _atomChunk;
    std::int32_t _minBlock = 1;
    std::int32_t _maxBlock;
    std::int32_t _sequenceSize;
    float _rate;
    LV2_Options_Option _options[6];
    LV2_Feature _map;
    LV2_Feature _unmap;
    LV2_Feature _optionsFeature;
    LV2_Feature _boundedBlock;
    const LV2_Feature* _featureList[5];
};
