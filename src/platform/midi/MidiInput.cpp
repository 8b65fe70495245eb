#include "platform/midi/MidiInput.h"

#include "foundation/KivLog.h"
#include "foundation/NotificationCenter.h"
#include "platform/midi/MidiInputError.h"

MidiInput::MidiInput(SMMessageDestination& destination, MidiSettings& settings,
                     const MidiSequencerFactory& factory) {
    _filter.setMessageDestination(&destination);
    _filter.setFilterMask(kFilterMask);

    try {
        _portInputStream = std::make_unique<SMPortInputStream>(factory);
    } catch (const MidiInputError& error) {
        logFormat("ERROR: Could not create MIDI input port stream: Caught %s: %s",
                  error.name().c_str(), error.what());
    }
    if (_portInputStream) {
        // Observed before the first look at the sources, so none that
        // appears meanwhile is missed.
        _setupObservation = NotificationCenter::defaultCenter().addObserver(
            SMPortInputStream::kSetupChangedNotification, _portInputStream.get(),
            [this](const Notification&) { setupChanged(); });
        _portInputStream->setMessageDestination(&_filter);
        setupChanged();
    }

    try {
        const int stored = settings.virtualInputStreamID();
        auto stream = std::make_unique<SMVirtualInputStream>(
            factory, stored != 0 ? std::optional<int>(stored) : std::nullopt);
        stream->setMessageDestination(&_filter);
        settings.setVirtualInputStreamID(stream->uniqueID());
        _virtualInputStream = std::move(stream);
    } catch (const MidiInputError& error) {
        logFormat("ERROR: Could not create MIDI input virtual stream: Caught %s: %s",
                  error.name().c_str(), error.what());
    }
}

MidiInput::~MidiInput() {
    _setupObservation.disconnect();
    _portInputStream.reset();
    _virtualInputStream.reset();
}

void MidiInput::setupChanged() {
    if (_portInputStream) {
        _portInputStream->setEndpoints(_portInputStream->sourceEndpoints());
    }
}
