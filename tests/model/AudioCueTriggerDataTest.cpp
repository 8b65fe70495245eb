#include "CueFixture.h"

TEST(AudioCueHotkey, ParsingTrimsCutsAndUpperCases) {
    EXPECT_EQ(AudioCue::parseHotkey("  q \n"), "Q");
    EXPECT_EQ(AudioCue::parseHotkey("abc"), "A");
    EXPECT_EQ(AudioCue::parseHotkey("   "), "");
    EXPECT_EQ(AudioCue::parseHotkey(""), "");
    EXPECT_EQ(AudioCue::parseHotkey("\t7"), "7");
    // A non-ASCII character is kept whole, never cut inside its bytes, and
    // upper-cased as an ASCII letter is, whatever the process's locale.
    EXPECT_EQ(AudioCue::parseHotkey("\xC3\xA9t\xC3\xA9"), "\xC3\x89");
    EXPECT_EQ(AudioCue::parseHotkey("\xD0\xB9"), "\xD0\x99");
    EXPECT_EQ(AudioCue::parseHotkey("!"), "!");
}

TEST(AudioCueMidi, NoteTextIsClamped) {
    EXPECT_EQ(AudioCue::parseMidiNote("200"), 127);
    EXPECT_EQ(AudioCue::parseMidiNote("-5"), 0);
    EXPECT_EQ(AudioCue::parseMidiNote("64"), 64);
    EXPECT_EQ(AudioCue::parseMidiNote("x"), 0);
}

class AudioCueTriggerData : public CueFixture {};

TEST_F(AudioCueTriggerData, HotkeySetterStoresTheParsedText) {
    auto cue = silentCue();
    cue->setHotkey(" w");
    EXPECT_EQ(cue->hotkey(), "W");
    cue->setHotkey("");
    EXPECT_EQ(cue->hotkey(), "");
}

TEST_F(AudioCueTriggerData, NoteOfAFreshCueFillsTheOtherBytesWithZero) {
    auto cue = silentCue();
    EXPECT_FALSE(cue->midiTrigger());
    EXPECT_FALSE(cue->midiNote());
    int announced = 0;
    auto observation = cue->midiNoteChanged().connect(
        [&](const std::optional<int>& old, const std::optional<int>& now) {
            EXPECT_FALSE(old);
            EXPECT_EQ(now, 60);
            ++announced;
        });
    cue->setMidiNote(60);
    EXPECT_EQ(cue->midiTrigger(), (MidiTrigger{0x00, 60, 0x00}));
    EXPECT_EQ(cue->midiTriggerCommand(), 0);
    EXPECT_EQ(announced, 1);
    cue->setMidiNote(128);
    cue->setMidiNote(-1);
    EXPECT_EQ(cue->midiTrigger(), (MidiTrigger{0x00, 60, 0x00}));
    EXPECT_EQ(announced, 1);
}

TEST_F(AudioCueTriggerData, CommandAndSecondByte) {
    auto cue = silentCue();
    cue->setMidiTriggerCommand(5);
    EXPECT_EQ(cue->midiTrigger(), (MidiTrigger{0xD0, 0, 0}));
    EXPECT_EQ(cue->midiTriggerCommand(), 5);
    cue->setMidiTriggerCommand(6);
    cue->setMidiTriggerCommand(-1);
    EXPECT_EQ((*cue->midiTrigger())[0], 0xD0);
    cue->setMidiTriggerCommand(0);
    EXPECT_EQ((*cue->midiTrigger())[0], 0x80);
    EXPECT_EQ(cue->midiTriggerCommand(), 0);
    cue->setMidiTriggerCommand(1);
    EXPECT_EQ(cue->midiTriggerCommand(), 1);

    cue->setMidiTriggerByte2(100);
    cue->setMidiTriggerByte2(128);
    EXPECT_EQ(cue->midiTrigger(), (MidiTrigger{0x90, 0, 100}));
    EXPECT_EQ(cue->midiTriggerByte2(), 100);
}

TEST_F(AudioCueTriggerData, LearnTakesTheMessagesNote) {
    auto cue = silentCue();
    cue->setMidiTriggerCommand(3);
    cue->setMidiTriggerFrom(MidiMessage(MidiMessage::kNoteOn, 1, 42, 90));
    EXPECT_EQ(cue->midiTrigger(), (MidiTrigger{0xB0, 42, 0}));
}

TEST_F(AudioCueTriggerData, MatchingReadsOnlyTheNote) {
    auto cue = silentCue();
    const MidiMessage noteOn(MidiMessage::kNoteOn, 1, 60, 100);
    const MidiMessage silentNoteOn(MidiMessage::kNoteOn, 1, 60, 0);
    const MidiMessage noteOff(MidiMessage::kNoteOff, 1, 60, 64);
    // Without a trigger nothing matches, note 0 included.
    for (const auto& message : {noteOn, noteOff, MidiMessage(MidiMessage::kNoteOn, 1, 0, 100),
                                MidiMessage(MidiMessage::kNoteOff, 1, 0)}) {
        EXPECT_FALSE(cue->matchesForMIDIDown(message));
        EXPECT_FALSE(cue->matchesForMIDIUp(message));
    }

    cue->setMidiNote(60);
    cue->setMidiTriggerCommand(4);
    EXPECT_TRUE(cue->matchesForMIDIDown(noteOn));
    EXPECT_FALSE(cue->matchesForMIDIUp(noteOn));
    EXPECT_FALSE(cue->matchesForMIDIDown(silentNoteOn));
    EXPECT_TRUE(cue->matchesForMIDIUp(silentNoteOn));
    EXPECT_FALSE(cue->matchesForMIDIDown(noteOff));
    EXPECT_TRUE(cue->matchesForMIDIUp(noteOff));
    const MidiMessage otherNote(MidiMessage::kNoteOn, 1, 61, 100);
    const MidiMessage control(MidiMessage::kControlChange, 1, 60, 100);
    for (const auto& message : {otherNote, control}) {
        EXPECT_FALSE(cue->matchesForMIDIDown(message));
        EXPECT_FALSE(cue->matchesForMIDIUp(message));
    }
}

TEST_F(AudioCueTriggerData, NamesOfAnUnnamedCue) {
    auto cue = silentCue("Thunder");
    EXPECT_EQ(cue->name(), "Thunder");
    EXPECT_EQ(cue->displayName(), "Thunder");
    cue->setName("");
    EXPECT_EQ(cue->type(), "Cue");
    EXPECT_EQ(cue->displayName(), "(Untitled Cue Cue)");
    EXPECT_EQ(cue->listName(), "");
    EXPECT_EQ(cue->number(), "");
}
