#pragma once

#include "platform/midi/AlsaMidiSequencer.h"
#include "platform/midi/MidiInputStream.h"

#include <optional>

// The program's own MIDI destination, "Pondra", that other programs connect to.
class SMVirtualInputStream : public MidiInputStream {
public:
    // Asks for the port number requestedID when one is given, so that other
    // programs find the destination where they left it; when that number
    // cannot be had, takes any. Throws MidiInputError when no port can be made.
    explicit SMVirtualInputStream(const MidiSequencerFactory& factory = AlsaMidiSequencer::open,
                                  std::optional<int> requestedID = std::nullopt);
    ~SMVirtualInputStream() override;

    // The port number in use.
    int uniqueID() const { return _port; }

private:
    int _port = -1;
};
