#pragma once

#include "foundation/MainRunLoop.h"
#include "foundation/ManualScheduler.h"
#include "model/AudioCue.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

// Cues on a hand-driven main loop. A cue of a file that does not exist has
// a source without a stream: everything but sound works on it.
class CueFixture : public ::testing::Test {
protected:
    std::shared_ptr<AudioCue> silentCue(const std::string& name = "Intro") {
        auto cue = AudioCue::initWithFile("/nonexistent/" + name + ".wav", nullptr);
        EXPECT_TRUE(cue);
        return cue;
    }

    ManualClock clock;
    ManualScheduler scheduler{clock};
    MainRunLoop::ScopedInstall loop{scheduler, clock};
};
