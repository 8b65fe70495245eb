#include "platform/midi/AlsaMidiSequencer.h"

#include "foundation/KivLog.h"
#include "platform/midi/MidiInputError.h"

#include <unistd.h>

#include <cerrno>

namespace {

constexpr const char* kSequencerDevice = "/dev/snd/seq";

std::string alsaReason(const char* operation, int error) {
    return std::string(operation) + ": " + snd_strerror(error);
}

} // namespace

AlsaMidiSequencer::AlsaMidiSequencer(const std::string& clientName) {
    // Without the device alsa-lib would also print its own complaint on
    // stderr; the caller's one line says it all.
    if (access(kSequencerDevice, F_OK) != 0 && errno == ENOENT) {
        throw MidiInputError("SequencerUnavailable",
                             alsaReason("cannot open the ALSA sequencer", -ENOENT));
    }
    int error = snd_seq_open(&_seq, "default", SND_SEQ_OPEN_INPUT, SND_SEQ_NONBLOCK);
    if (error < 0) {
        _seq = nullptr;
        throw MidiInputError("SequencerUnavailable",
                             alsaReason("cannot open the ALSA sequencer", error));
    }
    snd_seq_set_client_name(_seq, clientName.c_str());
    _clientId = snd_seq_client_id(_seq);
    if (_clientId < 0) {
        error = _clientId;
        snd_seq_close(_seq);
        _seq = nullptr;
        throw MidiInputError("SequencerUnavailable",
                             alsaReason("cannot read the sequencer client number", error));
    }
}

AlsaMidiSequencer::~AlsaMidiSequencer() {
    if (_seq != nullptr) {
        snd_seq_close(_seq);
    }
}

std::unique_ptr<MidiSequencer> AlsaMidiSequencer::open(const std::string& clientName) {
    return std::make_unique<AlsaMidiSequencer>(clientName);
}

std::vector<SMSourceEndpoint> AlsaMidiSequencer::sourceEndpoints() {
    constexpr unsigned kReadable = SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ;
    std::vector<SMSourceEndpoint> sources;
    std::lock_guard lock(_mutex);
    snd_seq_client_info_t* client = nullptr;
    snd_seq_port_info_t* port = nullptr;
    snd_seq_client_info_alloca(&client);
    snd_seq_port_info_alloca(&port);
    snd_seq_client_info_set_client(client, -1);
    while (snd_seq_query_next_client(_seq, client) >= 0) {
        const int clientId = snd_seq_client_info_get_client(client);
        if (clientId == SND_SEQ_CLIENT_SYSTEM || clientId == _clientId) {
            continue;
        }
        snd_seq_port_info_set_client(port, clientId);
        snd_seq_port_info_set_port(port, -1);
        while (snd_seq_query_next_port(_seq, port) >= 0) {
            const unsigned capability = snd_seq_port_info_get_capability(port);
            if ((capability & kReadable) != kReadable ||
                (capability & SND_SEQ_PORT_CAP_NO_EXPORT) != 0) {
                continue;
            }
            sources.push_back(
                {clientId, snd_seq_port_info_get_port(port), snd_seq_port_info_get_name(port)});
        }
    }
    return sources;
}

int AlsaMidiSequencer::createInputPort(const std::string& name, bool othersMayConnect,
                                       std::optional<int> requestedPort) {
    std::lock_guard lock(_mutex);
    snd_seq_port_info_t* info = nullptr;
    snd_seq_port_info_alloca(&info);
    snd_seq_port_info_set_name(info, name.c_str());
    snd_seq_port_info_set_capability(info, othersMayConnect ? SND_SEQ_PORT_CAP_WRITE |
                                                                  SND_SEQ_PORT_CAP_SUBS_WRITE
                                                            : SND_SEQ_PORT_CAP_WRITE);
    snd_seq_port_info_set_type(info,
                               SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
    if (requestedPort) {
        snd_seq_port_info_set_port(info, *requestedPort);
        snd_seq_port_info_set_port_specified(info, 1);
    }
    const int error = snd_seq_create_port(_seq, info);
    if (error < 0) {
        throw MidiInputError("PortUnavailable", alsaReason("cannot create the MIDI port", error));
    }
    const int port = snd_seq_port_info_get_port(info);
    // The kernel may hand out another number than the one asked for.
    if (requestedPort && port != *requestedPort) {
        snd_seq_delete_port(_seq, port);
        throw MidiInputError("PortUnavailable", "the requested MIDI port number is taken");
    }
    return port;
}

std::string AlsaMidiSequencer::connectFrom(int port, const SMSourceEndpoint& source) {
    std::lock_guard lock(_mutex);
    const int error = snd_seq_connect_from(_seq, port, source.client, source.port);
    if (error < 0 && error != -EBUSY) {
        return snd_strerror(error);
    }
    return {};
}

void AlsaMidiSequencer::disconnectFrom(int port, const SMSourceEndpoint& source) {
    std::lock_guard lock(_mutex);
    // A source that went away took its subscription with it.
    snd_seq_disconnect_from(_seq, port, source.client, source.port);
}

void AlsaMidiSequencer::subscribeToAnnouncements(int port) {
    std::lock_guard lock(_mutex);
    const int error =
        snd_seq_connect_from(_seq, port, SND_SEQ_CLIENT_SYSTEM, SND_SEQ_PORT_SYSTEM_ANNOUNCE);
    if (error < 0) {
        throw MidiInputError("PortUnavailable",
                             alsaReason("cannot listen to the System Announce port", error));
    }
}

std::vector<pollfd> AlsaMidiSequencer::pollDescriptors() {
    std::lock_guard lock(_mutex);
    const int count = snd_seq_poll_descriptors_count(_seq, POLLIN);
    std::vector<pollfd> descriptors(count > 0 ? static_cast<std::size_t>(count) : 0);
    if (!descriptors.empty()) {
        const int filled = snd_seq_poll_descriptors(_seq, descriptors.data(),
                                                    static_cast<unsigned>(count), POLLIN);
        descriptors.resize(static_cast<std::size_t>(filled > 0 ? filled : 0));
    }
    return descriptors;
}

std::vector<snd_seq_event_t> AlsaMidiSequencer::takePendingEvents() {
    std::vector<snd_seq_event_t> events;
    std::lock_guard lock(_mutex);
    for (;;) {
        snd_seq_event_t* event = nullptr;
        const int result = snd_seq_event_input(_seq, &event);
        if (result == -ENOSPC) {
            logLine("Warning: MIDI input overran; some messages were lost");
            continue;
        }
        if (result < 0 || event == nullptr) {
            break; // -EAGAIN: nothing more pending
        }
        // Copied by value: variable-length data is not kept, and no voice
        // message has any.
        events.push_back(*event);
    }
    return events;
}
