#pragma once

#include "platform/audio/AudioBackend.h"

// One device that is always there, so the program runs on a machine without
// a sound card. Its stream is paced by its own clock on a real-time thread
// and discards what it renders.
class NullBackend : public AudioBackend {
public:
    static constexpr const char* kUID = "pondra-null-output";

    void setListener(AudioBackendListener* listener) override;
    std::vector<AudioDeviceInfo> devices() override;
    std::string defaultOutputUID() override;
    std::unique_ptr<AudioOutputStream> openOutput(const std::string& uid,
                                                  const AudioStreamConfig& config,
                                                  AudioRenderCallback& callback) override;

    static AudioDeviceInfo deviceInfo();
};
