#include "ProcessorFixture.h"
#include "platform/effects/EffectCatalogue.h"
#include "support/RenderThreadAllocations.h"

#include <cmath>
#include <string>

namespace {

constexpr const char* kMda = "http://drobilla.net/plugins/mda/";

// Effects of several kinds; Leslie and Detune have factory presets.
const char* const kPlugins[] = {"Delay", "Overdrive", "Limiter", "Leslie", "Detune", "DubDelay"};

bool allFinite(const ChannelBuffers& buffers) {
    for (const auto& channel : buffers.data) {
        for (float sample : channel) {
            if (!std::isfinite(sample)) {
                return false;
            }
        }
    }
    return true;
}

} // namespace

// Real third-party plugins through the whole host: prepare, process, state, presets.
class MdaPlugins : public ProcessorFixture {
public:
    void SetUp() override {
        if (!testWorld()->plugin(std::string(kMda) + "Delay")) {
            GTEST_SKIP() << "mda-lv2 is not installed";
        }
    }

    static std::uint32_t channelsFor(const EffectProcessor& processor) {
        const EffectChannelPair pair = processor.supportedChannels().front();
        return pair.inputs < 0 ? 2u : static_cast<std::uint32_t>(pair.inputs);
    }
};

TEST_F(MdaPlugins, AreCataloguedAsEffectsUnderTheirMaker) {
    const EffectCatalogue catalogue(*testWorld());
    for (const char* name : kPlugins) {
        const EffectComponent* component = catalogue.find(std::string(kMda) + name);
        ASSERT_NE(component, nullptr) << name;
        EXPECT_EQ(component->type, kEffectTypeEffect) << name;
        EXPECT_FALSE(component->maker.empty()) << name;
        EXPECT_EQ(component->name, std::string("MDA ") + name);
    }
}

TEST_F(MdaPlugins, ProcessASineWithoutAllocating) {
    for (const char* name : kPlugins) {
        SCOPED_TRACE(name);
        auto processor = make((std::string(kMda) + name).c_str());
        ASSERT_NE(processor, nullptr);
        const std::uint32_t channels = channelsFor(*processor);
        ASSERT_EQ(prepare(*processor, 44100.0, 512, channels), kEffectNoErr);
        ChannelBuffers buffers(channels, 512);
        fillSine(buffers, 441.0, 44100.0, 0.5f, 0);
        render(*processor, buffers, 512); // the first block may set up lazily
        {
            std::lock_guard held(_renderLock);
            ScopedThreadRole role(ThreadRole::Render);
            const auto before = renderThreadAllocations();
            for (int block = 1; block < 20; ++block) {
                processor->process(buffers.inputs.data(), buffers.outputs.data(), 512);
            }
            if (renderThreadMallocIsCounted()) {
                EXPECT_EQ(renderThreadAllocations(), before);
            }
        }
        EXPECT_TRUE(allFinite(buffers));
    }
}

TEST_F(MdaPlugins, StateMovesToANewInstanceAtAnotherRate) {
    for (const char* name : kPlugins) {
        SCOPED_TRACE(name);
        const std::string uri = std::string(kMda) + name;
        auto first = make(uri.c_str());
        ASSERT_NE(first, nullptr);
        const std::uint32_t channels = channelsFor(*first);
        ASSERT_EQ(prepare(*first, 44100.0, 512, channels), kEffectNoErr);
        ASSERT_FALSE(first->parameters().empty());
        const EffectParameter& parameter = first->parameters().front();
        const float value = parameter.minValue + 0.25f * (parameter.maxValue - parameter.minValue);
        ASSERT_EQ(first->setParameter(parameter.id, value), kEffectNoErr);
        const EffectState saved = first->state();
        EXPECT_EQ(saved.settings.size(), first->parameters().size());

        auto second = make(uri.c_str());
        ASSERT_EQ(prepare(*second, 48000.0, 256, channels), kEffectNoErr);
        {
            EffectRenderLock held(_renderLock);
            ASSERT_EQ(second->setState(held, saved), kEffectNoErr);
        }
        EXPECT_FLOAT_EQ(second->parameter(parameter.id), value);
        EXPECT_EQ(second->state(), saved);
    }
}

TEST_F(MdaPlugins, FactoryPresetsApply) {
    auto leslie = make((std::string(kMda) + "Leslie").c_str());
    const auto presets = leslie->factoryPresets();
    ASSERT_GE(presets.size(), 2u);
    ASSERT_EQ(prepare(*leslie, 44100.0, 512, channelsFor(*leslie)), kEffectNoErr);
    const EffectState before = leslie->state();
    for (const EffectPreset& preset : presets) {
        EffectRenderLock held(_renderLock);
        ASSERT_EQ(leslie->applyFactoryPreset(held, preset.number), kEffectNoErr) << preset.name;
        EXPECT_EQ(leslie->presentPreset().name, preset.name);
    }
    EXPECT_NE(leslie->state().settings, before.settings);
}
