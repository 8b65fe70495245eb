#pragma once

#include "platform/midi/MidiReader.h"
#include "platform/midi/MidiSequencer.h"
#include "platform/midi/SMMessageDestination.h"

#include <memory>
#include <mutex>
#include <string>

// What both input streams share: their own sequencer client, its reader
// thread, and the destination their batches go to.
class MidiInputStream {
public:
    virtual ~MidiInputStream();
    MidiInputStream(const MidiInputStream&) = delete;
    MidiInputStream& operator=(const MidiInputStream&) = delete;

    // Any thread. Once it has returned, the old destination gets nothing more.
    void setMessageDestination(SMMessageDestination* destination);

    // The stream's own sequencer client, as other programs address it.
    int clientId() const { return _sequencer->clientId(); }

protected:
    // Opens the client; throws MidiInputError.
    MidiInputStream(const MidiSequencerFactory& factory, const std::string& clientName);

    // Starts the reader thread; its setup handler runs on that thread.
    void startReading(MidiReader::SetupHandler onSetupChanged);
    // Joins the reader thread. Each subclass calls it first in its destructor,
    // so the thread never runs into a half-destroyed stream.
    void stopReading();

    MidiSequencer& sequencer() const { return *_sequencer; }

private:
    void deliver(const MidiBatch& messages);

    std::unique_ptr<MidiSequencer> _sequencer;
    // Held while delivering, so clearing the destination waits for a delivery.
    std::mutex _destinationMutex;
    SMMessageDestination* _destination = nullptr; // guarded by _destinationMutex
    std::unique_ptr<MidiReader> _reader;
};
