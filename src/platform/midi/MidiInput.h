#pragma once

#include "foundation/Signal.h"
#include "platform/midi/AlsaMidiSequencer.h"
#include "platform/midi/MidiSettings.h"
#include "platform/midi/SMMessageFilter.h"
#include "platform/midi/SMPortInputStream.h"
#include "platform/midi/SMVirtualInputStream.h"

#include <memory>

// The program's MIDI input: every MIDI source and the virtual destination,
// filtered to voice messages, delivered as batches to one destination. Made
// and destroyed on the main thread.
class MidiInput {
public:
    // The filter mask the program listens with: every channel voice message.
    static constexpr unsigned kFilterMask =
        SMMessageFilter::kNoteMessages | SMMessageFilter::kOtherVoiceMessages;

    // Builds the filter and both streams. A stream that cannot be made is
    // logged ("ERROR: Could not create MIDI input ...") and left absent; MIDI
    // then comes through the other one, or not at all. destination receives
    // batches on the reader threads and must outlive this object.
    MidiInput(SMMessageDestination& destination, MidiSettings& settings,
              const MidiSequencerFactory& factory = AlsaMidiSequencer::open);
    // Stops both reader threads; no batch is delivered once it has returned.
    ~MidiInput();
    MidiInput(const MidiInput&) = delete;
    MidiInput& operator=(const MidiInput&) = delete;

    // Null when that stream could not be made.
    SMPortInputStream* portInputStream() const { return _portInputStream.get(); }
    SMVirtualInputStream* virtualInputStream() const { return _virtualInputStream.get(); }

    // Gives the port stream all current sources again. Runs on the port
    // stream's reader thread when the MIDI setup changes; callable from any.
    void setupChanged();

private:
    SMMessageFilter _filter;
    std::unique_ptr<SMPortInputStream> _portInputStream;
    std::unique_ptr<SMVirtualInputStream> _virtualInputStream;
    // Ended first, before the streams it reaches go.
    Connection _setupObservation;
};
