#pragma once

#include "platform/audio/AudioBackend.h"

#include <mutex>
#include <string>
#include <vector>

// Hands the overloads and deaths that a backend's streams noted on their
// render threads to the listener. The streams are read under `mutex`; the
// listener is called after it is let go, since it may call back into the
// backend.
template <typename Stream>
void reportStreamEvents(std::mutex& mutex, const std::vector<Stream*>& streams,
                        AudioBackendListener* const& listener) {
    std::vector<std::string> overloaded;
    std::vector<std::string> died;
    AudioBackendListener* to = nullptr;
    {
        std::lock_guard lock(mutex);
        for (Stream* stream : streams) {
            if (stream->takeOverload()) {
                overloaded.push_back(stream->uid());
            }
            if (stream->takeDeath()) {
                died.push_back(stream->uid());
            }
        }
        to = listener;
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
