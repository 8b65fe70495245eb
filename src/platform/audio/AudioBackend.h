#pragma once

#include "platform/audio/AudioDeviceInfo.h"
#include "platform/audio/AudioRenderCallback.h"

#include <memory>
#include <string>
#include <vector>

// How a stream is asked to run. Zero fields take the device's own values.
struct AudioStreamConfig {
    double sampleRate = 0.0;
    std::uint32_t channels = 0;
    std::uint32_t framesPerBuffer = 0;
    bool interleaved = true;
};

// An open output stream. Destroying it stops it first.
class AudioOutputStream {
public:
    virtual ~AudioOutputStream() = default;
    // What the stream really runs at; every field is filled.
    virtual AudioStreamConfig config() const = 0;
    // Not from the render thread. start() answers false, with a logged
    // reason, when output cannot begin; stop() returns once the callback has
    // run for the last time.
    virtual bool start() = 0;
    virtual void stop() = 0;
    virtual bool isRunning() const = 0;
};

// Receives a backend's changes. Every call comes on the backend's
// notification thread (for the offline backend: the thread that drives it),
// one at a time, never from the render thread.
class AudioBackendListener {
public:
    virtual ~AudioBackendListener() = default;
    virtual void deviceListChanged() = 0;
    virtual void defaultOutputChanged() = 0;
    virtual void deviceDied(const std::string& uid) = 0;
    virtual void deviceOverloaded(const std::string& uid) = 0;
    virtual void sampleRateChanged(const std::string& uid) = 0;
};

// One family of output devices (ALSA, Null, Offline).
class AudioBackend {
public:
    virtual ~AudioBackend() = default;

    // The owner sets the listener before it first enumerates and clears it
    // before it lets the backend go. Not called concurrently with itself.
    virtual void setListener(AudioBackendListener* listener) = 0;

    // The devices now present, in a stable order. Any thread but the render thread.
    virtual std::vector<AudioDeviceInfo> devices() = 0;
    // The UID of the backend's default output, or empty when it has none.
    virtual std::string defaultOutputUID() = 0;

    // Opens an output stream on a listed device; the callback must outlive
    // the stream. Null, with a logged reason, when the device cannot be opened.
    virtual std::unique_ptr<AudioOutputStream> openOutput(const std::string& uid,
                                                          const AudioStreamConfig& config,
                                                          AudioRenderCallback& callback) = 0;
};
