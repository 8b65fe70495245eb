#pragma once

#include "platform/midi/AlsaMidiSequencer.h"
#include "platform/midi/MidiInputStream.h"

#include <vector>

// Listens to the MIDI sources it is given, through one receiving port that
// other programs cannot connect to themselves.
class SMPortInputStream : public MidiInputStream {
public:
    // Posted on the reader thread, with the stream as object, when a client or
    // port of the MIDI system appeared, went away or changed.
    static constexpr const char* kSetupChangedNotification = "SMClientSetupChangedNotification";

    // Throws MidiInputError when no client or port can be made.
    explicit SMPortInputStream(const MidiSequencerFactory& factory = AlsaMidiSequencer::open);
    ~SMPortInputStream() override;

    // Any thread. Every readable source except the system's and our own.
    std::vector<SMSourceEndpoint> sourceEndpoints() const;

    // Any thread. Listens to exactly these sources: new ones are subscribed
    // (again, in case one went away and came back at the same address), the
    // others unsubscribed. A source that cannot be reached is logged and left
    // out.
    void setEndpoints(const std::vector<SMSourceEndpoint>& endpoints);
    std::vector<SMSourceEndpoint> endpoints() const;

private:
    int _port = -1;
    mutable std::mutex _endpointsMutex;
    std::vector<SMSourceEndpoint> _endpoints; // guarded by _endpointsMutex
};
