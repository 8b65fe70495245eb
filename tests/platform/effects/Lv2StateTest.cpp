#include "ProcessorFixture.h"

#include <cstdio>

using Lv2State_ = ProcessorFixture;

TEST_F(Lv2State_, Probe) {
    auto gain = make(kTestGainUri);
    ASSERT_EQ(prepare(*gain, 44100.0, 512, 1), kEffectNoErr);
    std::printf("%s\n", gain->state().pluginState.c_str());
}
