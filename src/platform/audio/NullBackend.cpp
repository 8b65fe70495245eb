#include "platform/audio/NullBackend.h"

#include "foundation/KivLog.h"
#include "platform/audio/BackendBase.h"
#include "platform/audio/NullOutputStream.h"

void NullBackend::setListener(AudioBackendListener*) {
    // The null device never changes, so there is nothing to tell.
}

AudioDeviceInfo NullBackend::deviceInfo() {
    AudioDeviceInfo info;
    info.uid = kUID;
    info.name = "No Output";
    info.manufacturer = "Pondra";
    info.modelUID = "pondra-null";
    info.outputChannels = 2;
    info.nominalSampleRate = 44100.0;
    info.bufferSizeInFrames = 512;
    info.minBufferSizeInFrames = 64;
    info.maxBufferSizeInFrames = 4096;
    return info;
}

std::vector<AudioDeviceInfo> NullBackend::devices() {
    return {deviceInfo()};
}

std::string NullBackend::defaultOutputUID() {
    return kUID;
}

std::unique_ptr<AudioOutputStream> NullBackend::openOutput(const std::string& uid,
                                                           const AudioStreamConfig& config,
                                                           AudioRenderCallback& callback) {
    if (uid != kUID) {
        logFormat("Error: the null backend has no device %s", uid.c_str());
        return nullptr;
    }
    const AudioDeviceInfo info = deviceInfo();
    AudioStreamConfig actual = withDeviceDefaults(config, info);
    if (actual.framesPerBuffer < info.minBufferSizeInFrames) {
        actual.framesPerBuffer = info.minBufferSizeInFrames;
    }
    if (actual.framesPerBuffer > info.maxBufferSizeInFrames) {
        actual.framesPerBuffer = info.maxBufferSizeInFrames;
    }
    return std::make_unique<NullOutputStream>(actual, callback);
}
