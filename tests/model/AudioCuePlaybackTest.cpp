#include "CueEngineFixture.h"
#include "audio/MissingEffect.h"
#include "audio/effects/KivEffect.h"
#include "foundation/NotificationCenter.h"

#include <algorithm>
#include <filesystem>

class AudioCuePlayback : public CueEngineFixture {};

TEST_F(AudioCuePlayback, TriggerDownTogglesAndTriggerUpStopsOnlyHoldCues) {
    auto cue = cueOf(levelFile("a.wav", 0.25f));
    cue->setHold(true);
    cue->triggerDown();
    EXPECT_TRUE(cue->playing());
    EXPECT_TRUE(cue->isPlaying());
    cue->triggerDown();
    EXPECT_FALSE(cue->playing());
    EXPECT_FALSE(cue->isPlaying());

    cue->triggerDown();
    cue->triggerUp();
    EXPECT_FALSE(cue->isPlaying());

    cue->setHold(false);
    cue->trigger();
    cue->triggerUp();
    EXPECT_TRUE(cue->isPlaying());
}

TEST_F(AudioCuePlayback, SoloHardStopsEveryOtherCueThenPlaysAlone) {
    std::vector<std::shared_ptr<AudioCue>> others;
    for (int i = 0; i < 3; ++i) {
        others.push_back(cueOf(levelFile("other" + std::to_string(i) + ".wav", 0.125f)));
        others.back()->triggerDown();
    }
    // A cue of another workspace hears the notification too.
    Workspace elsewhere{device, folder.path("cache")};
    auto otherCart = std::make_shared<Cart>();
    elsewhere.addCart(otherCart);
    auto remote = AudioCue::initWithFile(levelFile("remote.wav", 0.125f), device);
    otherCart->setCue(remote, 0);
    byHand(remote);
    remote->triggerDown();
    render(2);

    auto solo = cueOf(levelFile("solo.wav", 0.5f));
    solo->setSolo(true);
    device->startSyncedActions();
    solo->triggerDown();
    device->endSyncedActions();
    const std::size_t cycle = render(2);
    for (const auto& other : others) {
        EXPECT_FALSE(other->playing());
        EXPECT_FALSE(other->isPlaying());
    }
    EXPECT_FALSE(remote->isPlaying());
    EXPECT_TRUE(solo->isPlaying());
    // The four fade out in the very cycle the solo cue starts in, on its frame 0.
    const auto fading = fallen(constant(4 * 0.125f));
    for (std::uint32_t channel : {0u, 1u}) {
        const auto heard = cycleOutput(cycle, channel);
        for (std::uint32_t f = 0; f < kCycle; ++f) {
            EXPECT_NEAR(heard[f], 0.5f + fading[f], 1e-6f) << f;
        }
        EXPECT_EQ(cycleOutput(cycle + 1, channel), constant(0.5f));
    }
}

TEST_F(AudioCuePlayback, DeadOrBrokenSoloCueSilencesNothing) {
    auto playing = cueOf(levelFile("a.wav", 0.25f));
    playing->triggerDown();
    auto dead = cueOf(levelFile("dead.wav", 0.5f));
    dead->setSolo(true);
    dead->setDead(true);
    auto broken = AudioCue::initWithFile(folder.path("missing.wav"), device);
    ASSERT_TRUE(broken);
    broken->setSolo(true);
    dead->triggerDown();
    broken->triggerDown();
    EXPECT_FALSE(dead->playing());
    EXPECT_FALSE(broken->playing());
    EXPECT_TRUE(playing->isPlaying());
}

TEST_F(AudioCuePlayback, MidiBatchStartsTwoCuesInTheSameCycle) {
    auto low = cueOf(levelFile("low.wav", 0.125f));
    auto high = cueOf(levelFile("high.wav", 0.25f));
    low->setMidiNote(60);
    high->setMidiNote(62);
    const MidiBatch chord = {MidiMessage(MidiMessage::kNoteOn, 1, 60, 100),
                             MidiMessage(MidiMessage::kNoteOn, 1, 62, 100)};
    render();
    device->startSyncedActions();
    low->handleMIDIMessages(chord);
    render(); // a cycle inside the batch runs none of its actions
    high->handleMIDIMessages(chord);
    const std::size_t silent = render();
    device->endSyncedActions();
    const std::size_t first = render();
    EXPECT_EQ(cycleOutput(silent, 0), constant(0.0f));
    EXPECT_EQ(cycleOutput(first, 0), constant(0.375f));

    const MidiBatch release = {MidiMessage(MidiMessage::kNoteOff, 1, 60),
                               MidiMessage(MidiMessage::kNoteOn, 1, 62, 0)};
    low->setHold(true);
    low->handleMIDIMessages(release);
    high->handleMIDIMessages(release);
    EXPECT_FALSE(low->isPlaying());
    EXPECT_TRUE(high->isPlaying());
}

TEST_F(AudioCuePlayback, PanicFadesOverTheDurationThenStops) {
    auto cue = cueOf(levelFile("a.wav", 0.5f, 10.0));
    cue->play();
    render();
    cue->panic();
    EXPECT_TRUE(cue->isPanicking());
    advance(1.0);
    EXPECT_TRUE(cue->isPlaying());
    const float halfway = cue->audioSource()->masterVolume();
    EXPECT_GT(halfway, 0.0f);
    EXPECT_LT(halfway, 1.0f);
    advance(0.99);
    EXPECT_TRUE(cue->isPlaying());
    advance(0.01);
    EXPECT_FALSE(cue->isPlaying());
    EXPECT_FALSE(cue->playing());
    EXPECT_FALSE(cue->isPanicking());
}

TEST_F(AudioCuePlayback, StopDuringThePanicFadeEndsIt) {
    auto cue = cueOf(levelFile("a.wav", 0.5f, 10.0));
    cue->play();
    cue->panic();
    advance(1.0);
    cue->stop();
    EXPECT_FALSE(cue->isPanicking());
    // Played again, the cue is not stopped by the ended panic.
    cue->play();
    advance(2.0);
    EXPECT_TRUE(cue->isPlaying());
    EXPECT_EQ(cue->audioSource()->masterVolume(), 1.0f);
}

TEST_F(AudioCuePlayback, SecondPanicOrNoSettingsHardStopsAtOnce) {
    auto cue = cueOf(levelFile("a.wav", 0.5f, 10.0));
    cue->play();
    cue->panic();
    cue->panic();
    EXPECT_FALSE(cue->isPlaying());
    EXPECT_FALSE(cue->isPanicking());
    const std::size_t cycle = render();
    EXPECT_EQ(cycleOutput(cycle, 0), constant(0.0f));

    workspace.setSettings(nullptr);
    cue->play();
    cue->panic();
    EXPECT_FALSE(cue->isPlaying());

    // An idle cue's panic is a stop.
    cue->panic();
    EXPECT_FALSE(cue->playing());
}

TEST_F(AudioCuePlayback, ProgressIsCappedAndTheEndOfPlayStops) {
    auto cue = cueOf(rampFile("short.wav", 0.2));
    std::vector<float> seen;
    auto observation = cue->progressChanged().connect(
        [&](const float&, const float& now) { seen.push_back(now); });
    cue->play();
    for (int i = 0; i < 30 && cue->playing(); ++i) {
        render(static_cast<std::uint32_t>(0.1 * kRate / kCycle) + 1);
        advance(0.1);
    }
    EXPECT_FALSE(cue->playing());
    ASSERT_FALSE(seen.empty());
    EXPECT_LE(*std::max_element(seen.begin(), seen.end()), 1.0f);
    EXPECT_EQ(cue->progress(), 0.0f);
}

TEST_F(AudioCuePlayback, LoopingCueCrossesItsEndWithoutAGap) {
    const double seconds = 0.15; // 7200 frames, not a multiple of the cycle
    auto cue = cueOf(rampFile("loop.wav", seconds));
    cue->setLoops(true);
    const std::size_t first = render();
    cue->play();
    render(250);
    const auto out = outputFrom(first + 1);
    const std::size_t length = static_cast<std::size_t>(seconds * kRate);
    ASSERT_GT(out.size(), 2 * length);
    for (std::size_t f = 0; f < 2 * length; ++f) {
        ASSERT_EQ(out[f], static_cast<float>(f % length) * kStep) << "frame " << f;
    }
}

TEST_F(AudioCuePlayback, EffectEditsAndStartMovesKeepThePlace) {
    auto cue = cueOf(rampFile("ramp.wav", 1.0));
    cue->play();
    render(10);
    const float before = outputFrom(capturedCycles() - 1).back();
    auto effect = KivEffect::effectWithProperties(missingPluginState());
    ASSERT_TRUE(effect);
    cue->addEffect(effect);
    std::size_t cycle = render();
    EXPECT_EQ(cycleOutput(cycle, 0).front(), before + kStep);
    const float beforeRemoval = cycleOutput(cycle, 0).back();
    cue->removeEffect(effect);
    cycle = render();
    EXPECT_EQ(cycleOutput(cycle, 0).front(), beforeRemoval + kStep);
    EXPECT_TRUE(cue->effects().empty());

    // Moved back, the start keeps the place in the file; moved past the play
    // head, play goes on from the new start.
    const float beforeMove = cycleOutput(cycle, 0).back();
    cue->setStartTime(0.001);
    cycle = render();
    EXPECT_EQ(cycleOutput(cycle, 0).front(), beforeMove + kStep);
    cue->setStartTime(0.5);
    EXPECT_GE(cue->audioSource()->elapsedPlayTime(), 0.0);
    // A cycle of the old place fading out under the new start, then the new start alone.
    cycle = render(2);
    EXPECT_EQ(cycleOutput(cycle + 1, 0).front(), (0.5f * kRate + kCycle) * kStep);
    EXPECT_TRUE(cue->isPlaying());
}

TEST_F(AudioCuePlayback, EachPlayIsLoggedOnceAndPausedCuesStayPaused) {
    auto cue = cueOf(levelFile("Rain.wav", 0.25f, 10.0));
    cue->setName("Storm");
    cue->play();
    cue->pause();
    EXPECT_TRUE(cue->isPaused());
    EXPECT_TRUE(cue->playing());
    advance(2.0);
    EXPECT_TRUE(cue->isPaused()) << "the timer leaves a paused cue alone";
    cue->resume();
    EXPECT_FALSE(cue->isPaused());
    EXPECT_TRUE(cue->isPlaying());
    const auto lines = workspace.logger()->log();
    ASSERT_EQ(lines.size(), 2u);
    for (const auto& line : lines) {
        EXPECT_NE(line.find(" - Storm (Rain.wav)"), std::string::npos) << line;
    }
}

TEST_F(AudioCuePlayback, MonoFeedsBothOutputsStereoKeepsItsSidesAndTheChannelShiftsThem) {
    auto mono = cueOf(levelFile("mono.wav", 0.25f));
    mono->play();
    std::size_t cycle = render();
    EXPECT_EQ(cycleOutput(cycle, 0), constant(0.25f));
    EXPECT_EQ(cycleOutput(cycle, 1), constant(0.25f));

    // Output 2 takes the first feed only; there is no output for the second.
    // A re-routing ramps across one cycle.
    mono->setDeviceChannel(2);
    cycle = render(2) + 1;
    EXPECT_EQ(cycleOutput(cycle, 0), constant(0.0f));
    EXPECT_EQ(cycleOutput(cycle, 1), constant(0.25f));
    mono->setDeviceChannel(0);
    EXPECT_EQ(mono->deviceChannel(), 1);
    cycle = render(2) + 1;
    EXPECT_EQ(cycleOutput(cycle, 0), constant(0.25f));
    EXPECT_EQ(cycleOutput(cycle, 1), constant(0.25f));

    mono->updateFile(stereoFile("stereo.wav", 0.5f, 0.125f));
    mono->play();
    cycle = render();
    EXPECT_EQ(cycleOutput(cycle, 0), constant(0.5f));
    EXPECT_EQ(cycleOutput(cycle, 1), constant(0.125f));
}

TEST_F(AudioCuePlayback, AnotherFileKeepsTheCuesPairAndOtherCuesKeepTheirs) {
    auto moved = cueOf(levelFile("mono.wav", 0.25f));
    auto other = cueOf(levelFile("other.wav", 0.125f));
    moved->setDeviceChannel(2);
    moved->updateFile(stereoFile("stereo.wav", 0.5f, 0.0625f));
    moved->play();
    other->play();
    const std::size_t cycle = render(2) + 1;
    // The left channel on output 2; no output for the right one. The other
    // cue still plays on both.
    EXPECT_EQ(cycleOutput(cycle, 0), constant(0.125f));
    EXPECT_EQ(cycleOutput(cycle, 1), constant(0.625f));
}

TEST_F(AudioCuePlayback, StartAndEndStayFurtherApartThanTheShortestSliceThePlayerTakes) {
    auto cue = cueOf(rampFile("range.wav", 1.0));
    cue->setEndTime(0.5);
    cue->setStartTime(0.45);
    EXPECT_DOUBLE_EQ(cue->startTime(), 0.5 - AudioCue::kShortestRange);
    cue->setEndTime(0.41);
    EXPECT_DOUBLE_EQ(cue->endTime(), cue->startTime() + AudioCue::kShortestRange);
    // The player took every range the setters let through.
    EXPECT_DOUBLE_EQ(cue->audioSource()->startTime(), cue->startTime());
    EXPECT_DOUBLE_EQ(cue->audioSource()->endTime(), cue->endTime());
}

TEST_F(AudioCuePlayback, TheStateFollowsEachCallAtOnceAndTheEndOfPlayWithinOneTick) {
    auto cue = cueOf(rampFile("short.wav", 0.3));
    std::vector<CueState> seen;
    auto observation = cue->stateChanged().connect(
        [&](const CueState&, const CueState& now) { seen.push_back(now); });
    EXPECT_EQ(cue->state(), CueState::Stopped);
    cue->triggerDown();
    cue->pause();
    // Before the device has run any of it.
    EXPECT_EQ(cue->state(), CueState::Paused);
    render();
    cue->resume();
    cue->panic();
    EXPECT_EQ(cue->state(), CueState::Fading);
    cue->stop();
    cue->triggerDown();
    // Played to its end: the progress timer finds it.
    render(static_cast<std::uint32_t>(0.3 * kRate / kCycle) + 2);
    advance(0.1);
    EXPECT_EQ(seen, (std::vector<CueState>{CueState::Playing, CueState::Paused, CueState::Playing,
                                           CueState::Fading, CueState::Stopped, CueState::Playing,
                                           CueState::Stopped}));
}

TEST_F(AudioCuePlayback, MediaGoneIsFoundAtTheTriggerWhichPlaysNothingAndSilencesNoOne) {
    const std::string gone = levelFile("gone.wav", 0.5f);
    auto cue = cueOf(gone);
    cue->setSolo(true);
    auto other = cueOf(levelFile("other.wav", 0.25f));
    other->triggerDown();
    int refused = 0;
    auto observation = cue->triggerRefused().connect([&] { ++refused; });

    std::filesystem::remove(gone);
    EXPECT_FALSE(cue->isBroken()) << "nobody has looked yet";
    cue->triggerDown();
    EXPECT_EQ(refused, 1);
    EXPECT_TRUE(cue->isMediaMissing());
    EXPECT_EQ(cue->state(), CueState::Broken);
    EXPECT_EQ(cue->brokenExplanation(), "Invalid audio file.");
    EXPECT_FALSE(cue->playing());
    EXPECT_EQ(cycleOutput(render(), 0), constant(0.25f));
}

TEST_F(AudioCuePlayback, StoppedKeepingItsPlaceACuePlaysOnFromWhereItWas) {
    auto cue = cueOf(rampFile("ramp.wav", 1.0));
    cue->setStartTime(0.25);
    cue->play();
    render(10);
    const double at = cue->currentFileTime();
    EXPECT_NEAR(at, 0.25 + 10.0 * kCycle / kRate, 1.0 / kRate);
    EXPECT_DOUBLE_EQ(cue->fileLengthInSeconds(), 1.0);

    cue->stopKeepingPlace();
    EXPECT_FALSE(cue->isPlaying());
    // Within a frame: the place is loaded in whole frames.
    EXPECT_NEAR(cue->currentFileTime(), at, 1.0 / kRate);
    cue->play();
    const std::size_t cycle = render();
    EXPECT_NEAR(cycleOutput(cycle, 0).front(), static_cast<float>(at * kRate) * kStep, kStep);
}
