#include "platform/midi/MidiInput.h"

#include "CapturingDestination.h"
#include "FakeMidiSequencer.h"
#include "MidiBytes.h"
#include "foundation/NotificationCenter.h"
#include "support/CapturingLogSink.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <future>

namespace {

class MemorySettings : public MidiSettings {
public:
    int virtualInputStreamID() const override { return stored; }
    void setVirtualInputStreamID(int identifier) override {
        stored = identifier;
        ++writes;
    }
    int stored = 0;
    int writes = 0;
};

const std::vector<std::string> kAbsentLines = {
    "ERROR: Could not create MIDI input port stream: Caught SequencerUnavailable: cannot open the "
    "ALSA sequencer: No such file or directory",
    "ERROR: Could not create MIDI input virtual stream: Caught SequencerUnavailable: cannot open "
    "the ALSA sequencer: No such file or directory"};

struct MidiInputFixture : ::testing::Test {
    FakeMidiSystem system;
    CapturingDestination destination;
    MemorySettings settings;
};

} // namespace

TEST_F(MidiInputFixture, WithoutASequencerBothStreamsAreLoggedAndLeftAbsent) {
    CapturingLogSink log;
    system.available = false;
    MidiInput input(destination, settings, system.factory());
    EXPECT_EQ(log.lines(), kAbsentLines);
    EXPECT_EQ(input.portInputStream(), nullptr);
    EXPECT_EQ(input.virtualInputStream(), nullptr);
    EXPECT_EQ(settings.writes, 0);
    input.setupChanged();
}

TEST_F(MidiInputFixture, WhenOneStreamCannotBeMadeMidiComesThroughTheOther) {
    CapturingLogSink log;
    system.refuseAnnouncements = true;
    MidiInput input(destination, settings, system.factory());
    EXPECT_EQ(log.lines(),
              std::vector<std::string>{"ERROR: Could not create MIDI input port stream: "
                                       "Caught PortUnavailable: cannot listen to the "
                                       "System Announce port"});
    EXPECT_EQ(input.portInputStream(), nullptr);
    ASSERT_NE(input.virtualInputStream(), nullptr);
    system.clients.at("Pondra")->push(eventsFromBytes({0x90, 60, 100}));
    EXPECT_EQ(destination.waitForBatches(1).front(), (MidiBatch{{0x90, 1, 60, 100}}));
}

TEST(MidiInputOnThisMachine, WithoutDevSndSeqTheAlsaPathLogsTheSameLines) {
    if (access("/dev/snd/seq", F_OK) == 0) {
        GTEST_SKIP() << "this machine has an ALSA sequencer";
    }
    CapturingLogSink log;
    CapturingDestination destination;
    MemorySettings settings;
    MidiInput input(destination, settings);
    EXPECT_EQ(log.lines(), kAbsentLines);
    EXPECT_EQ(input.portInputStream(), nullptr);
    EXPECT_EQ(input.virtualInputStream(), nullptr);
}

TEST_F(MidiInputFixture, ThePortStreamListensToEverySourceButOthersCannotConnectToIt) {
    system.sources = {{20, 0, "Keys"}, {24, 0, "Pads"}, {24, 1, "Pads 2"}};
    MidiInput input(destination, settings, system.factory());
    auto* client = system.clients.at("Pondra Input");
    EXPECT_EQ(client->connections(), system.sources);
    EXPECT_EQ(input.portInputStream()->endpoints(), system.sources);
    EXPECT_TRUE(client->listensToAnnouncements());
    ASSERT_EQ(client->ports().size(), 1u);
    EXPECT_FALSE(client->ports().begin()->second.othersMayConnect);
}

TEST_F(MidiInputFixture, AnUnreachableSourceIsLoggedAndLeftOut) {
    system.sources = {{20, 0, "Keys"}, {24, 0, "Pads"}};
    CapturingLogSink log;
    MidiInput input(destination, settings, system.factory());
    auto* client = system.clients.at("Pondra Input");
    client->setUnreachable({24, 0, "Pads"});
    client->setSources({{20, 0, "Keys"}, {24, 0, "Pads"}, {28, 0, "Drums"}});
    input.setupChanged();
    const std::vector<SMSourceEndpoint> expected = {{20, 0, "Keys"}, {28, 0, "Drums"}};
    EXPECT_EQ(input.portInputStream()->endpoints(), expected);
    EXPECT_EQ(log.lines(),
              std::vector<std::string>{
                  "Warning: cannot listen to MIDI source Pads (24:0): No such device"});
}

TEST_F(MidiInputFixture, AnAnnouncedSetupChangeSubscribesAgain) {
    system.sources = {{20, 0, "Keys"}, {24, 0, "Pads"}};
    MidiInput input(destination, settings, system.factory());
    auto* client = system.clients.at("Pondra Input");

    // Observed after the input's own observer, so it runs once that is done.
    std::promise<std::vector<SMSourceEndpoint>> resubscribed;
    auto observation = NotificationCenter::defaultCenter().addObserver(
        SMPortInputStream::kSetupChangedNotification, input.portInputStream(),
        [&](const Notification&) { resubscribed.set_value(client->connections()); });

    const std::vector<SMSourceEndpoint> now = {{24, 0, "Pads"}, {30, 0, "Launch"}};
    client->setSources(now);
    client->push({announcement(SND_SEQ_EVENT_CLIENT_EXIT, 20, 0),
                  announcement(SND_SEQ_EVENT_PORT_START, 30, 0)});
    EXPECT_EQ(resubscribed.get_future().get(), now);
}

TEST_F(MidiInputFixture, BatchesFromBothStreamsReachTheDestinationWhole) {
    MidiInput input(destination, settings, system.factory());
    system.clients.at("Pondra Input")->push(eventsFromBytes({0x90, 60, 100, 64, 100, 67, 100}));
    destination.waitForBatches(1);
    system.clients.at("Pondra")->push(eventsFromBytes({0x9F, 60, 0, 0xF8}));
    const auto batches = destination.waitForBatches(2);
    const std::vector<MidiBatch> expected = {
        {{0x90, 1, 60, 100}, {0x90, 1, 64, 100}, {0x90, 1, 67, 100}}, {{0x90, 16, 60, 0}}};
    EXPECT_EQ(batches, expected);
}

TEST_F(MidiInputFixture, TheVirtualPortNumberIsStoredAndAskedForAgain) {
    system.takenPorts["Pondra"] = {0, 1, 2};
    {
        MidiInput input(destination, settings, system.factory());
        EXPECT_EQ(system.clients.at("Pondra")->requestedPorts(),
                  std::vector<std::optional<int>>{std::nullopt});
        EXPECT_EQ(input.virtualInputStream()->uniqueID(), 3);
        EXPECT_TRUE(system.clients.at("Pondra")->ports().at(3).othersMayConnect);
    }
    EXPECT_EQ(settings.stored, 3);

    system.takenPorts["Pondra"] = {};
    MidiInput again(destination, settings, system.factory());
    EXPECT_EQ(system.clients.at("Pondra")->requestedPorts(), std::vector<std::optional<int>>{3});
    EXPECT_EQ(again.virtualInputStream()->uniqueID(), 3);
    EXPECT_EQ(settings.stored, 3);
}

TEST_F(MidiInputFixture, AStoredNumberThatIsTakenIsRetriedWithoutAndTheNewOneStored) {
    settings.stored = 5;
    system.takenPorts["Pondra"] = {0, 5};
    MidiInput input(destination, settings, system.factory());
    const std::vector<std::optional<int>> requests = {5, std::nullopt};
    EXPECT_EQ(system.clients.at("Pondra")->requestedPorts(), requests);
    EXPECT_EQ(input.virtualInputStream()->uniqueID(), 1);
    EXPECT_EQ(settings.stored, 1);
}
