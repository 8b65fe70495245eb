#include "platform/midi/SMVirtualInputStream.h"

#include "platform/midi/MidiInputError.h"

namespace {

constexpr const char* kName = "Pondra";

} // namespace

SMVirtualInputStream::SMVirtualInputStream(const MidiSequencerFactory& factory,
                                           std::optional<int> requestedID)
    : MidiInputStream(factory, kName) {
    if (requestedID) {
        try {
            _port = sequencer().createInputPort(kName, true, requestedID);
        } catch (const MidiInputError&) {
            // The stored number is only a wish; any number will do.
        }
    }
    if (_port < 0) {
        _port = sequencer().createInputPort(kName, true, std::nullopt);
    }
    startReading(nullptr);
}

SMVirtualInputStream::~SMVirtualInputStream() {
    stopReading();
}
