#include "platform/midi/SMMessageFilter.h"

void SMMessageFilter::setMessageDestination(SMMessageDestination* destination) {
    std::lock_guard lock(_destinationMutex);
    _destination = destination;
}

void SMMessageFilter::takeMIDIMessages(const MidiBatch& messages) {
    const unsigned mask = filterMask();
    MidiBatch kept;
    kept.reserve(messages.size());
    for (const auto& message : messages) {
        const unsigned kind = message.isNoteMessage() ? kNoteMessages : kOtherVoiceMessages;
        if ((mask & kind) != 0) {
            kept.push_back(message);
        }
    }
    if (kept.empty()) {
        return;
    }
    std::lock_guard lock(_destinationMutex);
    if (_destination != nullptr) {
        _destination->takeMIDIMessages(kept);
    }
}
