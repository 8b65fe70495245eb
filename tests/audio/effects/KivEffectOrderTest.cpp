#include "audio/ShapingProcessor.h"
#include "audio/effects/KivComponentCatalogue.h"
#include "audio/effects/KivEffect.h"
#include "audio/effects/KivEffectBus.h"
#include "audio/effects/KivStream.h"
#include "foundation/ThreadRole.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

class ShapingCatalogue : public KivComponentCatalogue {
public:
    std::vector<KivAudioComponentDescription> componentsOfType(std::uint32_t type) const override {
        if (type != kKivComponentTypeEffect) {
            return {};
        }
        return {double_(), clip()};
    }
    std::optional<std::string>
    nameOfComponent(const KivAudioComponentDescription& component) const override {
        if (component == double_()) {
            return "Shapes: Double";
        }
        return component == clip() ? std::optional<std::string>("Shapes: Clip") : std::nullopt;
    }
    std::unique_ptr<EffectProcessor> makeProcessor(const KivAudioComponentDescription& component,
                                                   std::mutex& renderLock,
                                                   std::int32_t& status) const override {
        status = kEffectNoErr;
        // Two effects whose order shows in their output: one doubles, one clips at 0.5.
        if (component == clip()) {
            return std::make_unique<ShapingProcessor>(
                renderLock, [](float x) { return std::clamp(x, -0.5f, 0.5f); });
        }
        return std::make_unique<ShapingProcessor>(renderLock, [](float x) { return 2.0f * x; });
    }

    static KivAudioComponentDescription double_() {
        return {kKivComponentTypeEffect, 0, 0, 0, 0, "urn:shapes:double"};
    }
    static KivAudioComponentDescription clip() {
        return {kKivComponentTypeEffect, 0, 0, 0, 0, "urn:shapes:clip"};
    }
};

// A constant 0.4 on every channel.
class ConstantInput : public KivAudioRendering {
public:
    std::int32_t render(KivRenderFlags&, const KivRenderTimeStamp&, std::uint32_t,
                        const AudioChannels& data) override {
        for (std::uint32_t k = 0; k < data.channelCount; ++k) {
            std::fill_n(data.channels[k], data.frameCount, 0.4f);
        }
        return 0;
    }
};

class KivEffectOrderTest : public ::testing::Test {
protected:
    void SetUp() override { setComponentCatalogue(std::make_shared<ShapingCatalogue>()); }
    void TearDown() override {
        stream.destroy();
        setComponentCatalogue(nullptr);
    }

    // The chain's output for a constant 0.4 input.
    float render(const std::vector<KivAudioComponentDescription>& order) {
        stream.destroy();
        stream.create();
        KivEffectBus bus(1);
        for (const auto& description : order) {
            bus.addEffect(KivEffect::effectWithDescription(description));
        }
        bus.addEffectsToStream(stream);
        bus.setFormat(KivAudioStreamDescription(48000.0, 1));
        bus.setProperties();
        stream.initialize();
        bus.connectEffects();
        KivRenderInfo input;
        constant.registerRenderInfo(&input);
        EXPECT_TRUE(bus.setRenderCallback(input));
        KivRenderInfo output;
        bus.registerRenderInfo(&output);
        float sample = 0.0f;
        float* channels[] = {&sample};
        KivStreamLock lock(stream, std::try_to_lock);
        ScopedThreadRole role(ThreadRole::Render);
        KivRenderFlags flags = 0;
        EXPECT_EQ(output.call(flags, {}, 0, AudioChannels{channels, 1, 1}), 0);
        return sample;
    }

    KivStream stream{64};
    ConstantInput constant;
};

} // namespace

TEST_F(KivEffectOrderTest, TheFirstEffectOfTheListIsAppliedFirst) {
    EXPECT_FLOAT_EQ(render({ShapingCatalogue::double_(), ShapingCatalogue::clip()}), 0.5f)
        << "doubled, then clipped";
    EXPECT_FLOAT_EQ(render({ShapingCatalogue::clip(), ShapingCatalogue::double_()}), 0.8f)
        << "clipped (nothing to clip), then doubled";
}
