#pragma once

#include "foundation/KivLog.h"
#include "platform/audio/AudioBackend.h"

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

// What every backend with a changing device list keeps: the devices, the
// listener and the streams open, all under one mutex that is never held
// across a listener call. A stream registers here while it is open; the
// backend owns what registers.
template <typename Stream>
class BackendBase : public AudioBackend {
public:
    void setListener(AudioBackendListener* listener) override {
        std::lock_guard lock(_mutex);
        _listener = listener;
    }

    std::vector<AudioDeviceInfo> devices() override {
        std::lock_guard lock(_mutex);
        return _devices;
    }

protected:
    // `name` names the backend in its log lines ("the ALSA backend").
    explicit BackendBase(const char* name)
        : _name(name) {}

    ~BackendBase() override {
        std::lock_guard lock(_mutex);
        if (!_streams.empty()) {
            logFormat("Error: %s is destroyed with %zu streams open", _name, _streams.size());
        }
    }

    // The listed device with `uid`, or null; `_mutex` held.
    AudioDeviceInfo* findDeviceLocked(const std::string& uid) {
        auto found = std::find_if(_devices.begin(), _devices.end(),
                                  [&](const AudioDeviceInfo& d) { return d.uid == uid; });
        return found == _devices.end() ? nullptr : &*found;
    }

    AudioBackendListener* listener() const {
        std::lock_guard lock(_mutex);
        return _listener;
    }

    void addStream(Stream* stream) {
        std::lock_guard lock(_mutex);
        _streams.push_back(stream);
    }

    void removeStream(Stream* stream) {
        std::lock_guard lock(_mutex);
        std::erase(_streams, stream);
    }

    // Notification thread: hands the overloads and deaths the streams noted
    // on their render threads to the listener, after `_mutex` is let go,
    // since the listener may call back into the backend.
    void reportStreamEvents() {
        std::vector<std::string> overloaded;
        std::vector<std::string> died;
        AudioBackendListener* to = nullptr;
        {
            std::lock_guard lock(_mutex);
            for (Stream* stream : _streams) {
                if (stream->takeOverload()) {
                    overloaded.push_back(stream->uid());
                }
                if (stream->takeDeath()) {
                    died.push_back(stream->uid());
                }
            }
            to = _listener;
        }
        if (!to) {
            return;
        }
        for (const std::string& uid : overloaded) {
            to->deviceOverloaded(uid);
        }
        for (const std::string& uid : died) {
            to->deviceDied(uid);
        }
    }

    mutable std::mutex _mutex; // guards the fields below; never held across a listener call
    AudioBackendListener* _listener = nullptr;
    std::vector<AudioDeviceInfo> _devices;
    std::vector<Stream*> _streams;

private:
    const char* const _name;
};

// `requested` with every zero field taken from the device.
inline AudioStreamConfig withDeviceDefaults(AudioStreamConfig requested,
                                            const AudioDeviceInfo& device) {
    if (requested.sampleRate <= 0.0) {
        requested.sampleRate = device.nominalSampleRate;
    }
    if (requested.channels == 0) {
        requested.channels = device.outputChannels;
    }
    if (requested.framesPerBuffer == 0) {
        requested.framesPerBuffer = device.bufferSizeInFrames ? device.bufferSizeInFrames : 512;
    }
    return requested;
}
