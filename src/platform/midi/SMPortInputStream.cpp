#include "platform/midi/SMPortInputStream.h"

#include "foundation/KivLog.h"
#include "foundation/NotificationCenter.h"

#include <algorithm>

SMPortInputStream::SMPortInputStream(const MidiSequencerFactory& factory)
    : MidiInputStream(factory, "Pondra Input") {
    _port = sequencer().createInputPort("Pondra Sources", false, std::nullopt);
    sequencer().subscribeToAnnouncements(_port);
    startReading(
        [this] { NotificationCenter::defaultCenter().post(kSetupChangedNotification, this); });
}

SMPortInputStream::~SMPortInputStream() {
    stopReading();
}

std::vector<SMSourceEndpoint> SMPortInputStream::sourceEndpoints() const {
    return sequencer().sourceEndpoints();
}

void SMPortInputStream::setEndpoints(const std::vector<SMSourceEndpoint>& endpoints) {
    std::lock_guard lock(_endpointsMutex);
    for (const auto& old : _endpoints) {
        if (std::find(endpoints.begin(), endpoints.end(), old) == endpoints.end()) {
            sequencer().disconnectFrom(_port, old);
        }
    }
    _endpoints.clear();
    for (const auto& endpoint : endpoints) {
        if (std::find(_endpoints.begin(), _endpoints.end(), endpoint) != _endpoints.end()) {
            continue;
        }
        const std::string failure = sequencer().connectFrom(_port, endpoint);
        if (failure.empty()) {
            _endpoints.push_back(endpoint);
        } else {
            logFormat("Warning: cannot listen to MIDI source %s (%d:%d): %s", endpoint.name.c_str(),
                      endpoint.client, endpoint.port, failure.c_str());
        }
    }
}

std::vector<SMSourceEndpoint> SMPortInputStream::endpoints() const {
    std::lock_guard lock(_endpointsMutex);
    return _endpoints;
}
