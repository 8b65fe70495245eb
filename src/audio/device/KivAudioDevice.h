#pragma once

#include "audio/core/KivAudioStreamDescription.h"
#include "audio/device/KivActionInfo.h"
#include "audio/device/KivAudioDeviceDelegate.h"
#include "audio/device/KivAudioNotifications.h"
#include "audio/device/KivDeviceMixer.h"
#include "audio/device/KivDeviceProperties.h"
#include "audio/device/KivDeviceSafetyNet.h"
#include "audio/device/KivSyncedActions.h"
#include "audio/render/KivAudioBuses.h"
#include "audio/render/KivFadeRunner.h"
#include "foundation/Clock.h"
#include "foundation/Signal.h"
#include "platform/audio/AudioBackend.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

class KivAudioHardware;
class KivAudioPlayable;

// One output device. Every lookup makes a new object: two objects for the
// same device are independent, each hearing its own property notifications.
// Made and used on the main thread (or the MIDI thread), except that death
// arrives, and closes the device, on the backend's notification thread.
//
// While open, the device owns a matrix mixer of 500 input buses of 48
// channels each into its output channels, and the bus map through which the
// render thread pulls whatever is attached. Each render cycle first runs the
// synchronised actions handed over, then pulls every attached bus.
//
// Locks, in this order: `_controlMutex` (open, close, engage, attach,
// detach), the synchronised actions' locks, the bus map's, the mixer's (its
// lifetime against the gain setters and meters, see KivDeviceMixer). The
// render thread takes none of them.
class KivAudioDevice : public AudioRenderCallback,
                       private KivFadeTarget,
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
    std::optional<std::string> deviceUID() const { return _properties.deviceUID(); }
    // What identifies the kind of hardware: the card's driver, the PCM's name.
    std::optional<std::string> deviceModelUID() const { return _properties.deviceModelUID(); }
    std::optional<std::string> name() const { return _properties.name(); }
    std::optional<std::string> manufacturer() const { return _properties.manufacturer(); }
    double nominalSampleRate() const { return _properties.nominalSampleRate(); }
    std::uint32_t bufferSizeInFrames() const { return _properties.bufferSizeInFrames(); }
    // The buffer size the device's streams open at from the next open on,
    // kept within the device's range; logs and answers false for a device
    // that is gone.
    bool setBufferSizeInFrames(std::uint32_t frames) {
        return _properties.setBufferSizeInFrames(frames);
    }
    // The range setBufferSizeInFrames keeps to.
    std::uint32_t minBufferSizeInFrames() const { return _properties.minBufferSizeInFrames(); }
    std::uint32_t maxBufferSizeInFrames() const { return _properties.maxBufferSizeInFrames(); }
    std::uint32_t inputChannels() const { return _properties.inputChannels(); }
    std::uint32_t outputChannels() const { return _properties.outputChannels(); }
    // Non-interleaved float at the nominal rate with the output channels; all
    // zero for a device that is gone.
    KivAudioStreamDescription outputStreamDescription() const {
        return _properties.outputStreamDescription();
    }
    // The name, or "" for a device that is gone.
    std::string description() const;

    // Control thread. Builds the mixer (every bus free and disabled, default
    // volumes) and starts output: a stream at the nominal rate and buffer
    // size with every output channel. Opening an open device reopens it.
    bool open();
    // Control thread. Stops output, runs the actions already handed over,
    // ends the fades and drops the buses and the mixer. Attached objects are
    // not told; they are simply no longer pulled.
    void close();
    bool isOpen() const;
    // What the open stream runs at; none while closed.
    std::optional<AudioStreamConfig> streamConfig() const;

    // Control thread: the use count of sources and sends. engage() opens a
    // closed device unless the count was negative; the disengage() that
    // brings the count to 0 closes it, whoever opened it.
    void engage();
    void disengage();
    std::int32_t engagedCount() const;

    // Control thread. What a source must deliver to a bus: the output rate
    // with 48 channels; none while closed.
    std::optional<KivAudioStreamDescription> _outFeedFormat() const;
    // Control thread. Gives `thing` a free bus and pulls it from the next
    // cycle on; false, with the error line, when closed, when `thing` plays
    // through another device or when no bus is left.
    bool _attachAudio(KivAudioPlayable& thing);
    // Control thread. Cancels the queued actions of `thing` (also on a
    // closed device) and frees its bus; once it returns, neither a render
    // nor an action calls `thing` again.
    void _detachAudio(KivAudioPlayable& thing);
    // The bus `thing` is attached to, if any.
    std::optional<std::uint32_t> busOf(const KivAudioPlayable& thing) const;
    // Sets whether the mixer pulls `bus`; buses past the last are ignored.
    std::int32_t _setEnabled(bool enabled, std::uint32_t bus) {
        return _mixer.setEnabled(enabled, bus);
    }

    // Control thread (main or MIDI delivery). Every action performed between
    // the first start and the next end runs at the start of one render
    // cycle; an action outside a batch runs at once (or, while actions are
    // handed over, right behind them). A closed device runs them at once.
    void startSyncedActions();
    void endSyncedActions();
    template <class T>
    void performAction(const KivAction<T>& action, T* object) {
        _actions.performAction(action, object);
    }
    // Control thread: handed-over actions not yet run.
    std::size_t pendingActionCount() const { return _actions.pendingCount(); }

    // Gains of the open mixer, from any thread but the render thread. A
    // closed device ignores the setters, answers a master of 0 and meters at
    // the floor (-120 dB) without a word. A feed channel k stands for input
    // channel k of every bus.
    float masterVolume() const { return _mixer.masterVolume(); }
    void setMasterVolume(float volume) { _mixer.setMasterVolume(volume); }
    void setInputVolume(float volume, std::uint32_t channel) {
        _mixer.setInputVolume(volume, channel);
    }
    void setOutputVolume(float volume, std::uint32_t channel) {
        _mixer.setOutputVolume(volume, channel);
    }
    void setCrosspointVolume(float volume, std::uint32_t input, std::uint32_t output) {
        _mixer.setCrosspointVolume(volume, input, output);
    }
    void _setRawInputVolume(float volume, std::uint32_t channel) {
        _mixer.setRawInputVolume(volume, channel);
    }
    void _setRawCrosspointVolume(float volume, std::uint32_t input, std::uint32_t output) {
        _mixer.setRawCrosspointVolume(volume, input, output);
    }
    // Row 0 and column 0: master; row 0, column c: output c - 1; row r,
    // column 0: feed input r - 1; otherwise the crosspoint r - 1 to c - 1.
    void setVolume(float volume, std::uint32_t row, std::uint32_t column) {
        _mixer.setVolume(volume, row, column);
    }
    void setSilentCrosspoints() { _mixer.setSilentCrosspoints(); }
    void setDefaultVolumes() { _mixer.setDefaultVolumes(); }
    void setSilentVolumes() { _mixer.setSilentVolumes(); }
    // Post-fader meters of an output, in dB: see ChannelMeter.h.
    float outPostAveragePowerAtChannel(std::uint32_t channel) const {
        return _mixer.outPostAveragePowerAtChannel(channel);
    }
    float outPostPeakHoldLevelAtChannel(std::uint32_t channel) const {
        return _mixer.outPostPeakHoldLevelAtChannel(channel);
    }
    // Writes the mixer's gains to standard output (a debugging aid).
    void printVolumes() const;

    // Control thread. A raised-cosine fade of the master to `volume` over
    // `time` seconds in 10 ms steps, each on a thread of its own that the
    // device joins; a newer fade ends an older one at its next step, and a
    // fade ends without its final value when the device closes.
    void fadeToMasterVolume(float volume, double time);
    // Tests and offline rendering: from now on fades step only in
    // stepFades(), at `clock`'s time; the clock must outlive the device.
    void useSteppedFades(const Clock& clock);
    std::size_t stepFades();

    // Render thread: one cycle of the open stream. Runs the actions handed
    // over, then mixes every attached bus into the buffer, which arrives
    // silenced. Takes no lock of the device's and allocates nothing. A block
    // holding a NaN or an infinity leaves as silence, counted and warned of
    // (once a second at most).
    void render(const AudioRenderTime& time, const AudioOutputBuffer& buffer) noexcept override;
    // Any thread: render cycles silenced for a non-finite sample since the
    // device object was made.
    std::uint64_t nonFiniteBlockCount() const { return _safetyNet.count(); }

private:
    KivAudioDevice(std::shared_ptr<KivAudioHardware> hardware, AudioObjectID id);

    // KivFadeTarget: fade threads.
    float fadeVolume() override { return masterVolume(); }
    void setFadeVolume(float volume) override { setMasterVolume(volume); }
    bool fadeMayContinue() override { return _open.load(std::memory_order_acquire); }

    void deviceChanged(std::uint32_t selector);
    void closeLocked();

    const std::shared_ptr<KivAudioHardware> _hardware;
    const AudioObjectID _deviceID;
    std::atomic<bool> _died{false};
    std::atomic<KivAudioDeviceDelegate*> _delegate{nullptr};

    KivDeviceProperties _properties;

    mutable std::mutex _controlMutex; // open, close, engage, attach, detach and death
    // Guarded by _controlMutex.
    std::unique_ptr<AudioOutputStream> _stream;
    std::int32_t _engaged = 0;

    // Built by open before output starts, torn down by close after it stops.
    KivDeviceMixer _mixer;
    KivDeviceSafetyNet _safetyNet;
    // Set by open once output runs, cleared first by close; fade threads read it.
    std::atomic<bool> _open{false};

    KivSyncedActions _actions;
    SteadyClock _steadyClock;
    // Replaced only by useSteppedFades(), before fades run.
    std::unique_ptr<KivFadeRunner> _fades;

    Connection _propertyObservation;
};
