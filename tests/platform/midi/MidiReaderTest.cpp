#include "platform/midi/MidiReader.h"

#include "CapturingDestination.h"
#include "FakeMidiSequencer.h"
#include "MidiBytes.h"
#include "support/CapturingLogSink.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace {

// A sequencer whose descriptor hangs up, as when the device goes away.
class HungUpSequencer : public FakeMidiSequencer {
public:
    HungUpSequencer()
        : FakeMidiSequencer(130) {
        if (pipe(_pipe) != 0) {
            throw std::runtime_error("pipe failed");
        }
        close(_pipe[1]);
    }
    ~HungUpSequencer() override { close(_pipe[0]); }
    std::vector<pollfd> pollDescriptors() override { return {{_pipe[0], POLLIN, 0}}; }

private:
    int _pipe[2] = {-1, -1};
};

// Lets a test wait for the line a thread logs.
class WaitingLogSink : public LogSink {
public:
    WaitingLogSink() { _previous = setLogSink(this); }
    ~WaitingLogSink() override { setLogSink(_previous); }
    void write(std::string_view line) override {
        {
            std::lock_guard lock(_mutex);
            _lines.emplace_back(line);
        }
        _logged.notify_all();
    }
    std::string waitForLine() {
        std::unique_lock lock(_mutex);
        _logged.wait(lock, [&] { return !_lines.empty(); });
        return _lines.front();
    }

private:
    LogSink* _previous = nullptr;
    std::mutex _mutex;
    std::condition_variable _logged;
    std::vector<std::string> _lines;
};

// Reads by hand: no thread unless the test starts one.
struct ReaderFixture : ::testing::Test {
    FakeMidiSequencer sequencer{128};
    CapturingDestination destination;
    int setupChanges = 0;
    MidiReader reader{sequencer,
                      [this](const MidiBatch& batch) { destination.takeMIDIMessages(batch); },
                      [this] { ++setupChanges; }};
};

} // namespace

TEST_F(ReaderFixture, AChordPendingTogetherIsOneBatch) {
    sequencer.push(eventsFromBytes({0x90, 60, 100, 64, 100, 67, 100}));
    reader.readPending();
    const std::vector<MidiBatch> expected = {
        {{0x90, 1, 60, 100}, {0x90, 1, 64, 100}, {0x90, 1, 67, 100}}};
    EXPECT_EQ(destination.batches(), expected);

    sequencer.push(eventsFromBytes({0x80, 60, 0}));
    reader.readPending();
    reader.readPending();
    ASSERT_EQ(destination.batches().size(), 2u);
    EXPECT_EQ(destination.batches()[1], (MidiBatch{{0x80, 1, 60, 0}}));
}

TEST_F(ReaderFixture, AnnouncementsReportASetupChangeAndAreNoMessages) {
    auto events = eventsFromBytes({0xF8});
    events.push_back(announcement(SND_SEQ_EVENT_PORT_START, 24, 0));
    events.push_back(announcement(SND_SEQ_EVENT_CLIENT_START, 24, 0));
    sequencer.push(events);
    reader.readPending();
    EXPECT_TRUE(destination.batches().empty());
    EXPECT_EQ(setupChanges, 1);

    events = eventsFromBytes({0x90, 60, 100});
    events.push_back(announcement(SND_SEQ_EVENT_PORT_SUBSCRIBED, 24, 0));
    sequencer.push(events);
    reader.readPending();
    EXPECT_EQ(destination.batches().size(), 1u);
    EXPECT_EQ(setupChanges, 1);
}

TEST_F(ReaderFixture, AMalformedEventIsLoggedAndTheRestOfTheBatchKept) {
    CapturingLogSink log;
    auto events = eventsFromBytes({0x90, 60, 100, 62, 100}, 33, 1);
    events[0].data.note.channel = 40;
    sequencer.push(events);
    reader.readPending();
    const std::vector<MidiBatch> expected = {{{0x90, 1, 62, 100}}};
    EXPECT_EQ(destination.batches(), expected);
    EXPECT_EQ(log.lines(),
              std::vector<std::string>{"Warning: ignored a malformed MIDI message from 33:1"});
}

TEST_F(ReaderFixture, TheThreadDeliversWhatArrivesAndStopsWhenTheReaderGoes) {
    {
        FakeMidiSequencer threaded(129);
        CapturingDestination received;
        MidiReader running(
            threaded, [&](const MidiBatch& batch) { received.takeMIDIMessages(batch); }, nullptr);
        running.start();
        threaded.push(eventsFromBytes({0x93, 48, 80, 52, 80, 55, 80}));
        const auto batches = received.waitForBatches(1);
        ASSERT_EQ(batches.size(), 1u);
        EXPECT_EQ(batches[0].size(), 3u);
    }
    // Reaching here means the reader's destructor woke and joined its thread.
    SUCCEED();
}

TEST(MidiReader, StopsWithAnErrorWhenTheSequencerHangsUp) {
    WaitingLogSink log;
    HungUpSequencer sequencer;
    MidiReader reader(sequencer, nullptr, nullptr);
    reader.start();
    // The thread ends instead of spinning on a descriptor that stays ready.
    EXPECT_EQ(log.waitForLine(), "ERROR: MIDI input stopped: the sequencer went away");
}

TEST(MidiReader, AHandlerThatThrowsLosesItsBatchButNotTheInput) {
    WaitingLogSink log;
    FakeMidiSequencer sequencer(131);
    CapturingDestination received;
    bool thrown = false; // reader thread only
    MidiReader reader(
        sequencer,
        [&](const MidiBatch& batch) {
            if (!std::exchange(thrown, true)) {
                throw std::runtime_error("boom");
            }
            received.takeMIDIMessages(batch);
        },
        nullptr);
    reader.start();
    sequencer.push(eventsFromBytes({0x90, 60, 100}));
    EXPECT_EQ(log.waitForLine(), "ERROR: MIDI input: Caught boom");
    sequencer.push(eventsFromBytes({0x90, 62, 100}));
    EXPECT_EQ(received.waitForBatches(1).front(), (MidiBatch{{0x90, 1, 62, 100}}));
}
