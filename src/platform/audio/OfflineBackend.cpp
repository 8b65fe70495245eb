#include "platform/audio/OfflineBackend.h"

#include "foundation/KivLog.h"
#include "platform/audio/OfflineOutputStream.h"

#include <algorithm>

OfflineBackend::OfflineBackend()
    : BackendBase("the offline backend") {}

std::string OfflineBackend::defaultOutputUID() {
    std::lock_guard lock(_mutex);
    return _defaultUID;
}

bool OfflineBackend::isPresent(const std::string& uid) const {
    return std::any_of(_devices.begin(), _devices.end(),
                       [&](const AudioDeviceInfo& d) { return d.uid == uid; });
}

std::unique_ptr<AudioOutputStream> OfflineBackend::openOutput(const std::string& uid,
                                                              const AudioStreamConfig& config,
                                                              AudioRenderCallback& callback) {
    std::lock_guard lock(_mutex);
    const AudioDeviceInfo* found = findDeviceLocked(uid);
    if (!found) {
        logFormat("Error: the offline backend has no device %s", uid.c_str());
        return nullptr;
    }
    AudioStreamConfig actual = withDeviceDefaults(config, *found);
    actual.interleaved = actual.interleaved || _interleavedOnly;
    auto stream = std::make_unique<OfflineOutputStream>(*this, uid, actual, callback);
    _streams.push_back(stream.get());
    return stream;
}

void OfflineBackend::plug(const AudioDeviceInfo& info) {
    AudioBackendListener* listener = nullptr;
    bool defaultChanged = false;
    {
        std::lock_guard lock(_mutex);
        if (AudioDeviceInfo* found = findDeviceLocked(info.uid)) {
            *found = info;
            return;
        }
        _devices.push_back(info);
        if (_defaultUID.empty()) {
            _defaultUID = info.uid;
            defaultChanged = true;
        }
        listener = _listener;
    }
    if (listener) {
        listener->deviceListChanged();
        if (defaultChanged) {
            listener->defaultOutputChanged();
        }
    }
}

void OfflineBackend::unplug(const std::string& uid) {
    AudioBackendListener* listener = nullptr;
    bool defaultChanged = false;
    {
        std::lock_guard lock(_mutex);
        const auto removed =
            std::erase_if(_devices, [&](const AudioDeviceInfo& d) { return d.uid == uid; });
        if (removed == 0) {
            return;
        }
        if (_defaultUID == uid) {
            _defaultUID = _devices.empty() ? std::string() : _devices.front().uid;
            defaultChanged = true;
        }
        listener = _listener;
    }
    if (listener) {
        listener->deviceDied(uid);
        listener->deviceListChanged();
        if (defaultChanged) {
            listener->defaultOutputChanged();
        }
    }
}

void OfflineBackend::overload(const std::string& uid) {
    AudioBackendListener* listener = nullptr;
    {
        std::lock_guard lock(_mutex);
        if (!isPresent(uid)) {
            return;
        }
        listener = _listener;
    }
    if (listener) {
        listener->deviceOverloaded(uid);
    }
}

void OfflineBackend::changeSampleRate(const std::string& uid, double rate) {
    AudioBackendListener* listener = nullptr;
    {
        std::lock_guard lock(_mutex);
        AudioDeviceInfo* found = findDeviceLocked(uid);
        if (!found) {
            return;
        }
        found->nominalSampleRate = rate;
        listener = _listener;
    }
    if (listener) {
        listener->sampleRateChanged(uid);
    }
}

void OfflineBackend::setDefaultOutput(const std::string& uid) {
    AudioBackendListener* listener = nullptr;
    {
        std::lock_guard lock(_mutex);
        if (_defaultUID == uid || !isPresent(uid)) {
            return;
        }
        _defaultUID = uid;
        listener = _listener;
    }
    if (listener) {
        listener->defaultOutputChanged();
    }
}

void OfflineBackend::setInterleavedOnly(bool interleavedOnly) {
    std::lock_guard lock(_mutex);
    _interleavedOnly = interleavedOnly;
}

void OfflineBackend::render(std::uint32_t frames) {
    std::lock_guard lock(_mutex);
    for (OfflineOutputStream* stream : _streams) {
        if (!stream->isRunning() || !isPresent(stream->uid())) {
            continue;
        }
        auto& capture = _captured[stream->uid()];
        const std::uint32_t cycle = stream->config().framesPerBuffer;
        for (std::uint32_t done = 0; done < frames;) {
            const std::uint32_t n = std::min(cycle, frames - done);
            stream->renderCycle(n, capture);
            done += n;
        }
    }
}

std::vector<float> OfflineBackend::capturedOutput(const std::string& uid) const {
    std::lock_guard lock(_mutex);
    auto found = _captured.find(uid);
    return found == _captured.end() ? std::vector<float>() : found->second;
}

std::vector<float> OfflineBackend::capturedOutput(const std::string& uid, std::size_t from,
                                                  std::size_t count) const {
    std::lock_guard lock(_mutex);
    auto found = _captured.find(uid);
    if (found == _captured.end() || from >= found->second.size()) {
        return {};
    }
    const auto begin = found->second.begin() + static_cast<std::ptrdiff_t>(from);
    return {begin,
            begin + static_cast<std::ptrdiff_t>(std::min(count, found->second.size() - from))};
}

std::size_t OfflineBackend::capturedSampleCount(const std::string& uid) const {
    std::lock_guard lock(_mutex);
    auto found = _captured.find(uid);
    return found == _captured.end() ? 0 : found->second.size();
}

std::size_t OfflineBackend::openStreamCount() const {
    std::lock_guard lock(_mutex);
    return _streams.size();
}
