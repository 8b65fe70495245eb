#pragma once

#include "audio/KivAudioDeviceDelegate.h"
#include "audio/KivAudioNotifications.h"
#include "audio/KivAudioStreamDescription.h"
#include "foundation/Signal.h"
#include "platform/audio/AudioBackend.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

class KivAudioHardware;

// One output device. Every lookup makes a new object: two objects for the
// same device are independent, each hearing its own property notifications.
// Made and used on the main thread (or the MIDI thread), except that death
// arrives, and closes the device, on the backend's notification thread.
class KivAudioDevice : public AudioRenderCallback,
                       public std::enable_shared_from_this<KivAudioDevice> {
public:
    ~KivAudioDevice() override;
    KivAudioDevice(const KivAudioDevice&) = delete;
    KivAudioDevice& operator=(const KivAudioDevice&) = delete;

    // Discovery through KivAudioHardware::current().
    static std::vector<std::shared_ptr<KivAudioDevice>> allDevices();
    static std::shared_ptr<KivAudioDevice> defaultOutputDevice();
    // Null for id 0; null and the error line for an id that is not present.
    static std::shared_ptr<KivAudioDevice> deviceWithID(AudioObjectID id);
    // Null when no present device has that UID.
    static std::shared_ptr<KivAudioDevice> deviceWithUID(const std::string& uid);
    // The first device of allDevices() with that name, else null.
    static std::shared_ptr<KivAudioDevice> deviceWithName(const std::string& name);
    // The same on given hardware.
    static std::shared_ptr<KivAudioDevice> deviceWithID(std::shared_ptr<KivAudioHardware> hardware,
                                                        AudioObjectID id);

    // Process-wide; the caller keeps it alive while it is set. Any thread.
    static KivAudioHardwareDelegate* classDelegate();
    static void setClassDelegate(KivAudioHardwareDelegate* delegate);

    AudioObjectID deviceID() const { return _deviceID; }
    // Set on the notification thread at the device's death, read anywhere; never cleared.
    bool died() const { return _died.load(std::memory_order_acquire); }
    KivAudioDeviceDelegate* delegate() const { return _delegate.load(std::memory_order_acquire); }
    void setDelegate(KivAudioDeviceDelegate* delegate) {
        _delegate.store(delegate, std::memory_order_release);
    }

    // Properties, read afresh. A device that is gone logs the error line and
    // gives none or 0; so does an empty text.
    std::optional<std::string> deviceUID() const;
    std::optional<std::string> deviceModelUID() const;
    std::optional<std::string> name() const;
    std::optional<std::string> manufacturer() const;
    double nominalSampleRate() const;
    std::uint32_t bufferSizeInFrames() const;
    std::uint32_t minBufferSizeInFrames() const;
    std::uint32_t maxBufferSizeInFrames() const;
    std::uint32_t inputChannels() const;
    std::uint32_t outputChannels() const;
    // Non-interleaved float at the nominal rate with the output channels; all
    // zero for a device that is gone.
    KivAudioStreamDescription outputStreamDescription() const;
    // The name, or "" for a device that is gone.
    std::string description() const;

    // Starts output: a stream at the nominal rate and buffer size with every
    // output channel, one buffer per channel. Opening an open device reopens it.
    bool open();
    void close();
    bool isOpen() const;
    // What the open stream runs at; none while closed.
    std::optional<AudioStreamConfig> streamConfig() const;

    // Render thread: one cycle of the open stream. The buffer arrives silenced.
    void render(const AudioRenderTime& time, const AudioOutputBuffer& buffer) noexcept override;

private:
    KivAudioDevice(std::shared_ptr<KivAudioHardware> hardware, AudioObjectID id);
    std::optional<AudioDeviceInfo> info(const char* operation, int line) const;
    std::optional<std::string> text(std::string AudioDeviceInfo::*field, const char* operation,
                                    int line) const;
    void deviceChanged(std::uint32_t selector);
    void closeLocked();

    const std::shared_ptr<KivAudioHardware> _hardware;
    const AudioObjectID _deviceID;
    std::atomic<bool> _died{false};
    std::atomic<KivAudioDeviceDelegate*> _delegate{nullptr};

    mutable std::mutex _controlMutex; // open, close and death; taken before any render lock
    std::unique_ptr<AudioOutputStream> _stream; // guarded by _controlMutex

    Connection _propertyObservation;
};
