#pragma once

#include "platform/midi/SMSourceEndpoint.h"

#include <alsa/asoundlib.h>
#include <poll.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// One client of the MIDI system, as an input stream uses it: the ALSA
// sequencer in the program, a fake in tests. Every operation may be called
// from the stream's owner and from its reader thread at the same time.
class MidiSequencer {
public:
    virtual ~MidiSequencer() = default;

    virtual int clientId() const = 0;

    // Every port that others may read from and subscribe to, except those of
    // the system client and of this client.
    virtual std::vector<SMSourceEndpoint> sourceEndpoints() = 0;

    // Makes a port that receives events and answers its number. With
    // othersMayConnect other programs see it as a destination. A requested
    // number that cannot be had throws MidiInputError, as any failure does.
    virtual int createInputPort(const std::string& name, bool othersMayConnect,
                                std::optional<int> requestedPort) = 0;

    // Subscribes our port to a source; an empty answer on success (also when
    // already subscribed), else the reason.
    virtual std::string connectFrom(int port, const SMSourceEndpoint& source) = 0;
    virtual void disconnectFrom(int port, const SMSourceEndpoint& source) = 0;

    // Subscribes our port to the System Announce port, so that clients and
    // ports coming and going arrive as events. Throws MidiInputError.
    virtual void subscribeToAnnouncements(int port) = 0;

    // Descriptors that become readable when events are pending.
    virtual std::vector<pollfd> pollDescriptors() = 0;
    // Takes every event pending now without waiting, in arrival order.
    virtual std::vector<snd_seq_event_t> takePendingEvents() = 0;
};

// Opens a client of the given name; throws MidiInputError when it cannot.
using MidiSequencerFactory = std::function<std::unique_ptr<MidiSequencer>(const std::string&)>;
