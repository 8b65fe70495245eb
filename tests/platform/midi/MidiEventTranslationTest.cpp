#include "platform/midi/MidiEventTranslation.h"

#include "MidiBytes.h"

#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>

namespace {

std::vector<MidiMessage> translate(const std::vector<std::uint8_t>& bytes) {
    std::vector<MidiMessage> messages;
    for (const auto& event : eventsFromBytes(bytes)) {
        if (auto message = messageFromSequencerEvent(event)) {
            messages.push_back(*message);
        }
    }
    return messages;
}

} // namespace

TEST(MidiEventTranslation, NoteOnNumbersChannelsFromOneToSixteen) {
    EXPECT_EQ(translate({0x90, 60, 100}), (MidiBatch{{0x90, 1, 60, 100}}));
    EXPECT_EQ(translate({0x9F, 0, 127}), (MidiBatch{{0x90, 16, 0, 127}}));
}

TEST(MidiEventTranslation, RunningStatusKeepsNoteOnWithVelocityZero) {
    // Keyboards release keys as note-on with velocity 0 under running status;
    // the cues count that as note-off themselves, so it must stay 0x90 / 0.
    const auto messages = translate({0x91, 60, 100, 64, 90, 60, 0});
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0], MidiMessage(0x90, 2, 60, 100));
    EXPECT_EQ(messages[1], MidiMessage(0x90, 2, 64, 90));
    EXPECT_EQ(messages[2].status(), 0x90);
    EXPECT_EQ(messages[2].channel(), 2u);
    EXPECT_EQ(messages[2].dataByte1(), 60);
    EXPECT_EQ(messages[2].dataByte2(), 0);
}

TEST(MidiEventTranslation, NoteOffKeepsItsVelocity) {
    EXPECT_EQ(translate({0x85, 61, 64, 62, 0}), (MidiBatch{{0x80, 6, 61, 64}, {0x80, 6, 62, 0}}));
}

TEST(MidiEventTranslation, OtherVoiceMessagesKeepTheirBytes) {
    EXPECT_EQ(translate({0xA3, 60, 20}), (MidiBatch{{0xA0, 4, 60, 20}}));
    EXPECT_EQ(translate({0xB2, 7, 100, 10, 64}), (MidiBatch{{0xB0, 3, 7, 100}, {0xB0, 3, 10, 64}}));
    EXPECT_EQ(translate({0xC0, 5}), (MidiBatch{{0xC0, 1, 5, 0}}));
    EXPECT_EQ(translate({0xDA, 33}), (MidiBatch{{0xD0, 11, 33, 0}}));
    // Pitch bend: least significant seven bits first, centre 0x2000.
    EXPECT_EQ(translate({0xE0, 0x00, 0x40, 0x7F, 0x7F, 0x00, 0x00}),
              (MidiBatch{{0xE0, 1, 0, 64}, {0xE0, 1, 127, 127}, {0xE0, 1, 0, 0}}));
}

TEST(MidiEventTranslation, SystemMessagesGiveNothingAndBreakNoRunningStatus) {
    // Clock and active sensing may come between the bytes of a message.
    EXPECT_EQ(translate({0xF8, 0xFE, 0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7}), MidiBatch{});
    EXPECT_EQ(translate({0x90, 60, 0xF8, 100}), (MidiBatch{{0x90, 1, 60, 100}}));
    for (const auto& event : eventsFromBytes({0xF8, 0xF0, 0x01, 0xF7})) {
        EXPECT_FALSE(isChannelVoiceEvent(event));
    }
}

TEST(MidiEventTranslation, OutOfRangeEventsFromOtherProgramsAreRefused) {
    // A program may put any value into an event; none may reach a cue misread.
    auto event = eventsFromBytes({0x90, 60, 100}).front();
    event.data.note.channel = 20;
    EXPECT_FALSE(messageFromSequencerEvent(event));
    EXPECT_TRUE(isChannelVoiceEvent(event));
    event = eventsFromBytes({0x90, 60, 100}).front();
    event.data.note.note = 200;
    EXPECT_FALSE(messageFromSequencerEvent(event));
    event = eventsFromBytes({0xB0, 7, 100}).front();
    event.data.control.param = 300;
    EXPECT_FALSE(messageFromSequencerEvent(event));
    event = eventsFromBytes({0xE0, 0, 64}).front();
    event.data.control.value = 9000;
    EXPECT_FALSE(messageFromSequencerEvent(event));
}

TEST(MidiEventTranslation, ExtremeValuesFromOtherProgramsAreRefusedWithoutOverflow) {
    const auto translated = [](int pitchBend) {
        auto event = eventsFromBytes({0xE0, 0, 64}).front();
        event.data.control.value = pitchBend;
        return messageFromSequencerEvent(event);
    };
    for (const int value : {std::numeric_limits<int>::max(), std::numeric_limits<int>::max() - 8191,
                            std::numeric_limits<int>::min(), -8193, 8192}) {
        EXPECT_FALSE(translated(value)) << value;
    }
    EXPECT_EQ(translated(-8192), MidiMessage(0xE0, 1, 0, 0));
    EXPECT_EQ(translated(8191), MidiMessage(0xE0, 1, 127, 127));

    auto event = eventsFromBytes({0xC0, 5}).front();
    for (const int value : {std::numeric_limits<int>::max(), std::numeric_limits<int>::min()}) {
        event.data.control.value = value;
        EXPECT_FALSE(messageFromSequencerEvent(event)) << value;
    }
    event = eventsFromBytes({0xB0, 7, 100}).front();
    event.data.control.param = std::numeric_limits<unsigned>::max();
    EXPECT_FALSE(messageFromSequencerEvent(event));
    event.data.control.param = 7;
    event.data.control.value = std::numeric_limits<int>::min();
    EXPECT_FALSE(messageFromSequencerEvent(event));
}

TEST(MidiEventTranslation, OnlyClientAndPortAnnouncementsChangeTheSetup) {
    EXPECT_TRUE(isSetupChangeEvent(announcement(SND_SEQ_EVENT_PORT_START, 20, 0)));
    EXPECT_TRUE(isSetupChangeEvent(announcement(SND_SEQ_EVENT_PORT_EXIT, 20, 0)));
    EXPECT_TRUE(isSetupChangeEvent(announcement(SND_SEQ_EVENT_CLIENT_START, 20, 0)));
    EXPECT_FALSE(isSetupChangeEvent(announcement(SND_SEQ_EVENT_PORT_SUBSCRIBED, 20, 0)));
    auto forged = announcement(SND_SEQ_EVENT_PORT_START, 20, 0);
    forged.source.client = 20;
    EXPECT_FALSE(isSetupChangeEvent(forged));
}

TEST(MidiMessage, RefusesBytesOutsideMidi) {
    EXPECT_THROW(MidiMessage(0x90, 0, 60, 100), std::invalid_argument);
    EXPECT_THROW(MidiMessage(0x90, 17, 60, 100), std::invalid_argument);
    EXPECT_THROW(MidiMessage(0x90, 1, 128, 100), std::invalid_argument);
    EXPECT_THROW(MidiMessage(0x95, 1, 60, 100), std::invalid_argument);
    EXPECT_THROW(MidiMessage(0xF0, 1, 60, 100), std::invalid_argument);
}
