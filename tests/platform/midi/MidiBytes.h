#pragma once

#include <alsa/asoundlib.h>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <vector>

// Sequencer events from raw MIDI bytes, through ALSA's own encoder, as a
// MIDI interface's driver would make them.
inline std::vector<snd_seq_event_t> eventsFromBytes(const std::vector<std::uint8_t>& bytes,
                                                    int sourceClient = 20, int sourcePort = 0) {
    snd_midi_event_t* raw = nullptr;
    if (snd_midi_event_new(256, &raw) < 0) {
        throw std::runtime_error("snd_midi_event_new failed");
    }
    std::unique_ptr<snd_midi_event_t, decltype(&snd_midi_event_free)> encoder(raw,
                                                                              snd_midi_event_free);
    std::vector<snd_seq_event_t> events;
    snd_seq_event_t event;
    snd_seq_ev_clear(&event);
    for (const auto byte : bytes) {
        if (snd_midi_event_encode_byte(encoder.get(), byte, &event) == 1) {
            event.source.client = static_cast<unsigned char>(sourceClient);
            event.source.port = static_cast<unsigned char>(sourcePort);
            events.push_back(event);
            snd_seq_ev_clear(&event);
        }
    }
    return events;
}

// An announcement as the system client sends it.
inline snd_seq_event_t announcement(snd_seq_event_type_t type, int client, int port) {
    snd_seq_event_t event;
    snd_seq_ev_clear(&event);
    event.type = type;
    event.source.client = SND_SEQ_CLIENT_SYSTEM;
    event.source.port = SND_SEQ_PORT_SYSTEM_ANNOUNCE;
    event.data.addr.client = static_cast<unsigned char>(client);
    event.data.addr.port = static_cast<unsigned char>(port);
    return event;
}
