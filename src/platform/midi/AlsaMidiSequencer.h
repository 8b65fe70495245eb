#pragma once

#include "platform/midi/MidiSequencer.h"

#include <mutex>

// A client of the ALSA sequencer (/dev/snd/seq), opened for input without blocking.
class AlsaMidiSequencer : public MidiSequencer {
public:
    // Throws MidiInputError("SequencerUnavailable", ...) when the sequencer
    // cannot be opened, as on a machine without one.
    explicit AlsaMidiSequencer(const std::string& clientName);
    ~AlsaMidiSequencer() override;
    AlsaMidiSequencer(const AlsaMidiSequencer&) = delete;
    AlsaMidiSequencer& operator=(const AlsaMidiSequencer&) = delete;

    // The factory the program uses.
    static std::unique_ptr<MidiSequencer> open(const std::string& clientName);

    int clientId() const override { return _clientId; }
    std::vector<SMSourceEndpoint> sourceEndpoints() override;
    int createInputPort(const std::string& name, bool othersMayConnect,
                        std::optional<int> requestedPort) override;
    std::string connectFrom(int port, const SMSourceEndpoint& source) override;
    void disconnectFrom(int port, const SMSourceEndpoint& source) override;
    void subscribeToAnnouncements(int port) override;
    std::vector<pollfd> pollDescriptors() override;
    std::vector<snd_seq_event_t> takePendingEvents() override;

private:
    // alsa-lib's handle is not safe for use from two threads at once: the
    // owner subscribes while the reader thread takes events.
    std::mutex _mutex;
    snd_seq_t* _seq = nullptr; // guarded by _mutex
    int _clientId = -1;
};
