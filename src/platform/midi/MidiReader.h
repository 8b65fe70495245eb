#pragma once

#include "platform/midi/MidiMessage.h"
#include "platform/midi/MidiSequencer.h"

#include <functional>
#include <thread>

// Owns the thread that waits on one sequencer client (poll on its
// descriptors and on an eventfd that asks it to stop) and turns what arrives
// into batches.
class MidiReader {
public:
    using BatchHandler = std::function<void(const MidiBatch&)>;
    using SetupHandler = std::function<void()>;

    // The handlers run on the reader thread; the sequencer outlives the reader.
    MidiReader(MidiSequencer& sequencer, BatchHandler onBatch, SetupHandler onSetupChanged);
    // Stops and joins the thread.
    ~MidiReader();
    MidiReader(const MidiReader&) = delete;
    MidiReader& operator=(const MidiReader&) = delete;

    // Owner's thread, once.
    void start();

    // One pass of the thread, callable by hand where no thread runs: every
    // pending event goes into one batch, so a chord stays together; then
    // onBatch (when any message came) and onSetupChanged (when a client or
    // port came, went or changed).
    void readPending();

private:
    void run();

    MidiSequencer& _sequencer;
    BatchHandler _onBatch;
    SetupHandler _onSetupChanged;
    int _stopEvent = -1; // eventfd; written by the owner, read by the thread
    std::thread _thread;
};
