#pragma once

// Where MIDI input keeps what it must find again at the next start; the
// application backs it with its user defaults. Called on the thread that
// makes the MidiInput.
class MidiSettings {
public:
    virtual ~MidiSettings() = default;
    // "PondraMIDIVirtualInputStreamID"; 0 when none is stored.
    virtual int virtualInputStreamID() const = 0;
    virtual void setVirtualInputStreamID(int identifier) = 0;
};
