#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class KivAudioDevice;

// One stereo pair of an output device, as the output pop-ups offer it: the
// device and the first channel of the pair, counted from 1. The window holds
// the device only to hand it to the workspace or a cue; what it shows and
// compares of it is asked here. Main thread.
struct AudioOutput {
    std::shared_ptr<KivAudioDevice> device;
    int channel = 1;

    // "<device name> - channels <n>/<n + 1>"; the name is empty without a device.
    std::string title() const;

    // Every pair of every device with two or more output channels, in the
    // hardware's order; AirPlay devices are left out. A pair that `kept`
    // holds on a device still alive keeps that very device object (which
    // may be open), so choosing it again reopens nothing.
    static std::vector<AudioOutput> available(const std::vector<AudioOutput>& kept);
    // Whether the device is alive and one of the outputs is on it.
    static bool offers(const std::vector<AudioOutput>& outputs,
                       const std::shared_ptr<KivAudioDevice>& device);
    // The entry of the live default output device to fall back on: its pair
    // at `channel` when it has one, else its first; none without it.
    static std::optional<std::size_t> defaultEntry(const std::vector<AudioOutput>& outputs,
                                                   int channel);
    // The same device, both present.
    static bool sameDevice(const std::shared_ptr<KivAudioDevice>& a,
                           const std::shared_ptr<KivAudioDevice>& b);
};
