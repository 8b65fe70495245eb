#include "CapturingDestination.h"
#include "foundation/NotificationCenter.h"
#include "platform/midi/MidiInput.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <future>

// Two real sequencer clients: a sender and the program's input. Runs only
// where the ALSA sequencer exists.
namespace {

class MemorySettings : public MidiSettings {
public:
    int virtualInputStreamID() const override { return stored; }
    void setVirtualInputStreamID(int identifier) override { stored = identifier; }
    int stored = 0;
};

class Sender {
public:
    Sender() {
        if (snd_seq_open(&_seq, "default", SND_SEQ_OPEN_OUTPUT, 0) < 0) {
            throw std::runtime_error("cannot open the sender");
        }
        snd_seq_set_client_name(_seq, "Pondra Test Sender");
        _port = snd_seq_create_simple_port(_seq, "Out",
                                           SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ,
                                           SND_SEQ_PORT_TYPE_MIDI_GENERIC);
    }
    ~Sender() { snd_seq_close(_seq); }

    SMSourceEndpoint endpoint() const { return {snd_seq_client_id(_seq), _port, "Out"}; }

    // Notes to every subscriber, or straight to one port.
    void sendChord(std::initializer_list<int> notes, int client = -1, int port = -1) {
        for (const int note : notes) {
            snd_seq_event_t event;
            snd_seq_ev_clear(&event);
            snd_seq_ev_set_source(&event, _port);
            if (client < 0) {
                snd_seq_ev_set_subs(&event);
            } else {
                snd_seq_ev_set_dest(&event, client, port);
            }
            snd_seq_ev_set_direct(&event);
            snd_seq_ev_set_noteon(&event, 0, note, 100);
            snd_seq_event_output(_seq, &event);
        }
        snd_seq_drain_output(_seq);
    }

private:
    snd_seq_t* _seq = nullptr;
    int _port = 0;
};

bool contains(const std::vector<SMSourceEndpoint>& endpoints, const SMSourceEndpoint& endpoint) {
    return std::find(endpoints.begin(), endpoints.end(), endpoint) != endpoints.end();
}

} // namespace

TEST(AlsaSequencer, NotesFromASourceAndToTheVirtualPortArriveAsBatches) {
    if (access("/dev/snd/seq", R_OK | W_OK) != 0) {
        GTEST_SKIP() << "no ALSA sequencer on this machine";
    }
    Sender sender;
    CapturingDestination destination;
    MemorySettings settings;
    MidiInput input(destination, settings);
    ASSERT_NE(input.portInputStream(), nullptr);
    ASSERT_NE(input.virtualInputStream(), nullptr);
    EXPECT_TRUE(contains(input.portInputStream()->endpoints(), sender.endpoint()));
    EXPECT_EQ(settings.stored, input.virtualInputStream()->uniqueID());

    sender.sendChord({60, 64, 67});
    auto batches = destination.waitForBatches(1);
    MidiBatch received;
    for (const auto& batch : batches) {
        received.insert(received.end(), batch.begin(), batch.end());
    }
    while (received.size() < 3) {
        batches = destination.waitForBatches(batches.size() + 1);
        received.insert(received.end(), batches.back().begin(), batches.back().end());
    }
    const MidiBatch chord = {{0x90, 1, 60, 100}, {0x90, 1, 64, 100}, {0x90, 1, 67, 100}};
    EXPECT_EQ(received, chord);

    const std::size_t before = batches.size();
    sender.sendChord({72}, input.virtualInputStream()->clientId(),
                     input.virtualInputStream()->uniqueID());
    batches = destination.waitForBatches(before + 1);
    EXPECT_EQ(batches.back(), (MidiBatch{{0x90, 1, 72, 100}}));
}

TEST(AlsaSequencer, ASourceThatAppearsLaterIsSubscribed) {
    if (access("/dev/snd/seq", R_OK | W_OK) != 0) {
        GTEST_SKIP() << "no ALSA sequencer on this machine";
    }
    CapturingDestination destination;
    MemorySettings settings;
    MidiInput input(destination, settings);
    ASSERT_NE(input.portInputStream(), nullptr);

    std::promise<void> subscribed;
    std::optional<SMSourceEndpoint> awaited;
    std::mutex awaitedMutex;
    bool done = false;
    auto observation = NotificationCenter::defaultCenter().addObserver(
        SMPortInputStream::kSetupChangedNotification, input.portInputStream(),
        [&](const Notification&) {
            std::lock_guard lock(awaitedMutex);
            if (!done && awaited && contains(input.portInputStream()->endpoints(), *awaited)) {
                done = true;
                subscribed.set_value();
            }
        });
    Sender sender;
    {
        std::lock_guard lock(awaitedMutex);
        awaited = sender.endpoint();
        if (contains(input.portInputStream()->endpoints(), *awaited)) {
            done = true;
            subscribed.set_value();
        }
    }
    subscribed.get_future().get();
    sender.sendChord({61});
    EXPECT_EQ(destination.waitForBatches(1).front(), (MidiBatch{{0x90, 1, 61, 100}}));
}
