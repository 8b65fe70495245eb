#pragma once

#include "platform/midi/MidiMessage.h"

// Receives batches of MIDI messages.
class SMMessageDestination {
public:
    virtual ~SMMessageDestination() = default;
    // Called on a MIDI reader thread, one batch at a time per stream; never
    // with an empty batch. It must not wait for the thread that stops the
    // streams (hop to the GUI thread without blocking).
    virtual void takeMIDIMessages(const MidiBatch& messages) = 0;
};
