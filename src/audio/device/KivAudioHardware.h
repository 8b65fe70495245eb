#pragma once

#include "audio/device/KivAudioDeviceRegistry.h"
#include "platform/audio/AudioBackend.h"

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

class KivAudioDevice;

// The system's output devices as the engine sees them: the devices of its
// backends in order (ALSA, JACK, then Null, in the application), each with an
// object id from the registry. It turns the backends' callbacks into the
// hardware and device notifications, posted synchronously on the backend's
// notification thread.
class KivAudioHardware : public AudioBackendListener {
public:
    explicit KivAudioHardware(std::vector<std::unique_ptr<AudioBackend>> backends);
    ~KivAudioHardware() override;
    KivAudioHardware(const KivAudioHardware&) = delete;
    KivAudioHardware& operator=(const KivAudioHardware&) = delete;

    // The application's backends: ALSA, JACK, then Null.
    static std::shared_ptr<KivAudioHardware> makeDefault();
    // The hardware that KivAudioDevice's class operations use; made with
    // makeDefault() on first use unless one was installed. Any thread.
    static std::shared_ptr<KivAudioHardware> current();
    // Main thread, at start-up: starts making the default hardware on a
    // thread of its own, so that its first scans (each waited for up to a
    // limit) run while the rest of the program starts; current() waits for it.
    static void prepareDefault();
    // A test hook: installs a test's own hardware (an Offline backend's);
    // null returns to the default. Main thread.
    static void setCurrent(std::shared_ptr<KivAudioHardware> hardware);

    // Any thread but the render thread.
    std::vector<AudioObjectID> deviceIDs() const;
    AudioObjectID defaultOutputDeviceID() const;
    AudioObjectID deviceIDForUID(const std::string& uid) const;
    bool isPresent(AudioObjectID id) const;
    std::optional<AudioDeviceInfo> deviceInfo(AudioObjectID id) const;
    std::unique_ptr<AudioOutputStream> openOutput(AudioObjectID id, const AudioStreamConfig& config,
                                                  AudioRenderCallback& callback);
    // The buffer size a device's streams open at from now on, within its
    // range, for as long as this hardware lives (Linux keeps no such setting
    // for a device). False for a device that is not present.
    bool setBufferSizeInFrames(AudioObjectID id, std::uint32_t frames);

    // Each device object made for an id listens for that id's property
    // changes; the listener is held weakly and removed by the device.
    void addDeviceListener(AudioObjectID id, const std::shared_ptr<KivAudioDevice>& device);
    void removeDeviceListener(const KivAudioDevice* device);

    // AudioBackendListener: the backends' notification threads.
    void deviceListChanged() override;
    void defaultOutputChanged() override;
    void deviceDied(const std::string& uid) override;
    void deviceOverloaded(const std::string& uid) override;
    void sampleRateChanged(const std::string& uid) override;

private:
    struct Listed {
        AudioDeviceInfo info;
        std::size_t backend;
    };
    struct DeviceListener {
        AudioObjectID id;
        const KivAudioDevice* device;
        std::weak_ptr<KivAudioDevice> weak;
        // A device dies once: a failing stream and the removal that follows
        // it are one death to each object.
        bool deathAnnounced = false;
    };

    // Re-reads every backend's list. Answers the ids that vanished, whether
    // the set of ids changed and whether the default output moved.
    struct Refresh {
        std::vector<AudioObjectID> removed;
        bool listChanged = false;
        bool defaultChanged = false;
    };
    Refresh refresh();
    void postRefresh(const Refresh& refresh);
    void postDeviceProperty(AudioObjectID id, std::uint32_t selector);
    // Tells each object of the id that has not heard of its death yet.
    void announceDeath(AudioObjectID id);
    const Listed* listed(AudioObjectID id) const;

    mutable std::mutex _mutex; // guards the fields below; never held across a post
    std::vector<std::unique_ptr<AudioBackend>> _backends; // emptied only by the destructor
    bool _closing = false;
    std::vector<Listed> _devices;
    KivAudioDeviceRegistry _registry;
    std::string _defaultUID;
    std::vector<DeviceListener> _listeners;
    // Buffer sizes set, by UID; each refresh applies them again.
    std::map<std::string, std::uint32_t> _bufferFrames;
};
