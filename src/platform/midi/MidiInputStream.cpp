#include "platform/midi/MidiInputStream.h"

MidiInputStream::MidiInputStream(const MidiSequencerFactory& factory, const std::string& clientName)
    : _sequencer(factory(clientName)) {}

MidiInputStream::~MidiInputStream() {
    stopReading();
}

void MidiInputStream::setMessageDestination(SMMessageDestination* destination) {
    std::lock_guard lock(_destinationMutex);
    _destination = destination;
}

void MidiInputStream::startReading(MidiReader::SetupHandler onSetupChanged) {
    _reader = std::make_unique<MidiReader>(
        *_sequencer, [this](const MidiBatch& messages) { deliver(messages); },
        std::move(onSetupChanged));
    _reader->start();
}

void MidiInputStream::stopReading() {
    _reader.reset();
}

void MidiInputStream::deliver(const MidiBatch& messages) {
    std::lock_guard lock(_destinationMutex);
    if (_destination != nullptr) {
        _destination->takeMIDIMessages(messages);
    }
}
