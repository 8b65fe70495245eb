#include "platform/midi/MidiReader.h"

#include "foundation/KivLog.h"
#include "platform/midi/MidiEventTranslation.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <exception>
#include <system_error>
#include <utility>

MidiReader::MidiReader(MidiSequencer& sequencer, BatchHandler onBatch, SetupHandler onSetupChanged)
    : _sequencer(sequencer)
    , _onBatch(std::move(onBatch))
    , _onSetupChanged(std::move(onSetupChanged)) {
    _stopEvent = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (_stopEvent < 0) {
        throw std::system_error(errno, std::generic_category(), "eventfd");
    }
}

MidiReader::~MidiReader() {
    if (_thread.joinable()) {
        const std::uint64_t one = 1;
        // An eventfd write of 1 cannot fail short of overflow.
        [[maybe_unused]] const auto written = write(_stopEvent, &one, sizeof one);
        _thread.join();
    }
    close(_stopEvent);
}

void MidiReader::start() {
    _thread = std::thread([this] { run(); });
}

void MidiReader::readPending() {
    MidiBatch batch;
    bool setupChanged = false;
    for (const auto& event : _sequencer.takePendingEvents()) {
        if (isSetupChangeEvent(event)) {
            setupChanged = true;
        } else if (auto message = messageFromSequencerEvent(event)) {
            batch.push_back(*message);
        } else if (isChannelVoiceEvent(event)) {
            logFormat("Warning: ignored a malformed MIDI message from %d:%d", event.source.client,
                      event.source.port);
        }
    }
    if (!batch.empty() && _onBatch) {
        _onBatch(batch);
    }
    if (setupChanged && _onSetupChanged) {
        _onSetupChanged();
    }
}

void MidiReader::run() {
    std::vector<pollfd> descriptors = _sequencer.pollDescriptors();
    const std::size_t sequencerCount = descriptors.size();
    descriptors.push_back({_stopEvent, POLLIN, 0});
    for (;;) {
        const int ready = poll(descriptors.data(), descriptors.size(), -1);
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            logFormat("ERROR: MIDI input stopped: poll failed: %s", std::strerror(errno));
            return;
        }
        if (descriptors.back().revents != 0) {
            return;
        }
        bool pending = false;
        for (std::size_t i = 0; i < sequencerCount; ++i) {
            const short revents = descriptors[i].revents;
            if ((revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) {
                logLine("ERROR: MIDI input stopped: the sequencer went away");
                return;
            }
            pending = pending || (revents & POLLIN) != 0;
        }
        if (pending) {
            // An exception must not end the process from this thread, nor
            // end MIDI input: the batch is lost, the next one comes.
            try {
                readPending();
            } catch (const std::exception& error) {
                logFormat("ERROR: MIDI input: Caught %s", error.what());
            }
        }
    }
}
