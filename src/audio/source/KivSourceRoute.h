#pragma once

#include "audio/core/KivAudioStreamDescription.h"

#include <atomic>
#include <memory>
#include <optional>
#include <string>

class KivAudioDevice;
class KivAudioPlayable;
class KivAudioSend;

// Where a source plays: its device, which it engages while it holds it (so
// the device opens), and the send it plays through, if any; attaching to
// and detaching from the bus that pulls it.
//
// Threads: the owning source's control threads, under its control lock;
// device() from any thread (the device asks while the source holds that lock).
class KivSourceRoute {
public:
    KivSourceRoute() = default;
    KivSourceRoute(const KivSourceRoute&) = delete;
    KivSourceRoute& operator=(const KivSourceRoute&) = delete;

    KivAudioDevice* device() const { return _devicePointer.load(std::memory_order_acquire); }
    const std::shared_ptr<KivAudioDevice>& sharedDevice() const { return _device; }
    const std::shared_ptr<KivAudioSend>& send() const { return _send; }
    // Lets go of the old device's use count and engages the new one
    // (opening it when closed).
    void setDevice(std::shared_ptr<KivAudioDevice> device);
    void setSend(std::shared_ptr<KivAudioSend> send) { _send = std::move(send); }
    // The source goes: the device's use count with it.
    void disengage();

    // The feed the source plays into: the send's input, else the device's.
    std::optional<KivAudioStreamDescription> outFormat() const;
    // To the device's bus, or to the send (which must be on the device);
    // logs and answers false when that fails.
    bool attach(KivAudioPlayable& source);
    void detach(KivAudioPlayable& source);
    // "played to %@ through %@" of the description.
    std::string description() const;

private:
    std::shared_ptr<KivAudioDevice> _device;
    std::shared_ptr<KivAudioSend> _send;
    // Readable without the control lock; written under it.
    std::atomic<KivAudioDevice*> _devicePointer{nullptr};
};
