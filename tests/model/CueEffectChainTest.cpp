#include "model/CueEffectChain.h"

#include "audio/MissingEffect.h"
#include "audio/effects/KivEffect.h"
#include "audio/source/KivAudioSource.h"

#include <gtest/gtest.h>

namespace {

using Effects = std::vector<std::shared_ptr<KivEffect>>;

class CueEffectChainTest : public ::testing::Test {
protected:
    CueEffectChainTest() {
        _observation = chain.effectsChanged().connect([this] { ++changes; });
    }

    static std::shared_ptr<KivEffect> effect() {
        auto made = KivEffect::effectWithProperties(missingPluginState());
        EXPECT_TRUE(made);
        return made;
    }

    std::shared_ptr<KivAudioSource> source = KivAudioSource::create();
    CueEffectChain chain{*source};
    int changes = 0;

private:
    Connection _observation;
};

TEST_F(CueEffectChainTest, AnEffectIsInTheChainOnceAndNoneNeverIs) {
    const auto first = effect();
    chain.addEffect(first);
    chain.addEffect(first);
    chain.addEffect(nullptr);
    chain.insertEffect(first, 0);
    chain.insertEffect(nullptr, 0);
    EXPECT_EQ(chain.effects(), Effects{first});
    EXPECT_EQ(source->effects(), chain.effects());
    EXPECT_EQ(changes, 1) << "only the first add changed the chain";
}

TEST_F(CueEffectChainTest, InsertingPastTheEndAppendsAndTheSourceFollows) {
    const auto first = effect();
    const auto second = effect();
    const auto third = effect();
    chain.addEffect(first);
    chain.insertEffect(second, 7);
    chain.insertEffect(third, 0);
    EXPECT_EQ(chain.effects(), (Effects{third, first, second}));
    EXPECT_EQ(source->effects(), chain.effects());
    EXPECT_EQ(changes, 3);
}

TEST_F(CueEffectChainTest, RemovingAnEffectNotInTheChainChangesNothing) {
    const auto kept = effect();
    chain.addEffect(kept);
    chain.removeEffect(effect());
    EXPECT_EQ(changes, 1);
    chain.removeEffect(kept);
    EXPECT_TRUE(chain.effects().empty());
    EXPECT_TRUE(source->effects().empty());
    EXPECT_EQ(changes, 2);
}

} // namespace
