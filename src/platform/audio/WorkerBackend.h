#pragma once

#include "platform/audio/AudioBackend.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>

// A backend whose every call that may wait on a device or a sound server runs
// on a device worker of its own (DeviceWorker.h), with a time limit: the
// backend is made there, which is its first scan, and its streams are opened,
// started, stopped and closed there. A backend whose worker hangs counts as
// absent: it lists no device until the worker answers again, and its
// listener hears of both changes on the backend's notification thread. A
// caller waits no longer than the limit for an open or a start, and not at
// all for a stop or a close: the callback is let go at once through a
// RenderGate, and the stream itself follows on the worker.
//
// When it is destroyed with its worker stuck in a call, the worker is left to
// it (DeviceWorker.h): the backend, its streams and the gates they render
// into are then the worker's own, and are let go by it when the call returns,
// or never if the process ends first.
class WorkerBackend final : public AudioBackend {
public:
    using Factory = std::function<std::unique_ptr<AudioBackend>()>;

    struct Limits {
        // The longest a caller waits for an open or a start, and the time
        // after which a call under way makes the backend count as absent.
        std::chrono::milliseconds answer{2000};
        // The longest the constructor waits for the backend to be made.
        std::chrono::milliseconds firstScan{1000};
        // The longest the destructor waits for a call under way before it
        // leaves the worker to it.
        std::chrono::milliseconds quit{500};
    };

    // Makes the backend with `make` on the worker. `name` names it in log
    // lines ("the JACK backend").
    WorkerBackend(std::string name, Factory make);
    WorkerBackend(std::string name, Factory make, Limits limits);
    ~WorkerBackend() override;
    WorkerBackend(const WorkerBackend&) = delete;
    WorkerBackend& operator=(const WorkerBackend&) = delete;

    void setListener(AudioBackendListener* listener) override;
    // The made backend's devices while it answers, else none.
    std::vector<AudioDeviceInfo> devices() override;
    std::string defaultOutputUID() override;
    std::unique_ptr<AudioOutputStream> openOutput(const std::string& uid,
                                                  const AudioStreamConfig& config,
                                                  AudioRenderCallback& callback) override;

    // Made, and its worker does not hang. Any thread.
    bool answers() const;

private:
    struct State;
    struct Slot;
    class Stream;
    std::shared_ptr<State> _state;
};
