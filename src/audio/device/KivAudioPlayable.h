#pragma once

#include "audio/render/KivAudioRendering.h"

#include <string>

class KivAudioDevice;

// Something a device attaches to one of its buses and pulls: an audio
// source. Its synchronised actions should name the object by its most
// derived class (sources are final), so that detaching it can cancel them.
class KivAudioPlayable : public KivAudioRendering {
public:
    // Control thread: the device this object plays through.
    virtual KivAudioDevice* device() const = 0;
    // Control thread: the object's name in log lines.
    virtual std::string description() const = 0;

protected:
    ~KivAudioPlayable() = default;
};
