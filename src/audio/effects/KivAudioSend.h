#pragma once

#include "audio/core/KivAudioStreamDescription.h"
#include "audio/device/KivAudioPlayable.h"
#include "audio/render/KivAudioBuses.h"
#include "audio/render/KivRenderInfo.h"
#include "audio/render/MatrixMixerInput.h"
#include "foundation/RenderLogLimiter.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <shared_mutex>
#include <string>
#include <vector>

class KivAudioBusMap;
class KivAudioDevice;
class KivEffectBus;
class KivStream;
class MatrixMixer;

// Posted (object: the send) after a send rebuilt its graph; sources playing
// through it rebuild to its new input format.
inline constexpr const char* kKivAudioSendDidUpdateStreamNotification =
    "KivAudioSendDidUpdateStream";

// A shared sub-mix between sources and one device bus. Sources attached to it
// deliver the device feed plus the send's aux channels; a split mixer sums
// their 500 buses into the main feed and the aux channels, each group of aux
// channels runs through an effect bus (a shared reverb, say), and a merge
// mixer adds the effect returns to the main feed for the device.
//
// Threads: control threads configure and attach; the render thread pulls
// render() with the device's bus. A rebuild holds the send's render lock,
// which the render path only try-locks (silence while it rebuilds).
class KivAudioSend final : public KivAudioPlayable, private MatrixMixerInput {
public:
    // Main thread. nullptr after "Error: KivAudioSend could not create a stream."
    static std::shared_ptr<KivAudioSend> create();
    ~KivAudioSend();
    KivAudioSend(const KivAudioSend&) = delete;
    KivAudioSend& operator=(const KivAudioSend&) = delete;

    KivAudioDevice* device() const override;
    // Detaches from and disengages the old device, engages the new one, rebuilds.
    void setDevice(std::shared_ptr<KivAudioDevice> device);

    // The device feed with the aux channels added; none without an open device.
    std::optional<KivAudioStreamDescription> inputFormat() const;
    // The effect buses' channels, summed.
    std::uint32_t auxChannels() const;
    bool hasAudioAttached() const;

    std::vector<std::shared_ptr<KivEffectBus>> effectBusses() const;
    void addEffectBus(std::shared_ptr<KivEffectBus> bus);
    // Each rebuilds; a bus removed leaves the stream at that rebuild.
    void removeEffectBus(const std::shared_ptr<KivEffectBus>& bus);
    void removeAllEffectBusses();
    // The effect bus holding aux channel `channel`, counting through the
    // buses in order; null past the last.
    std::shared_ptr<KivEffectBus> busAtChannel(std::uint32_t channel) const;

    // Rebuilds the graph and posts kKivAudioSendDidUpdateStreamNotification.
    void updateStream();

    // A return gain: aux channel `input` into device feed channel `output`.
    void setAuxCrosspointVolume(float volume, std::uint32_t input, std::uint32_t output);

    // Control thread. Gives `thing` one of the send's buses; the first one
    // attached attaches the send to its device, the last one detached
    // detaches it.
    bool _attachAudio(KivAudioPlayable& thing);
    void _detachAudio(KivAudioPlayable& thing);

    // Render thread: the merge mixer's output into the device feed.
    std::int32_t render(KivRenderFlags& flags, const KivRenderTimeStamp& timeStamp,
                        std::uint32_t busNumber, const AudioChannels& data) override;

    // "[KivAudioSend assigned to %@]" or "[unassigned KivAudioSend]".
    std::string description() const override;

private:
    KivAudioSend() = default;
    struct AuxInput;

    // MatrixMixerInput of the merge mixer: bus 0 the main feed, bus i + 1 the
    // return of effect bus i.
    std::int32_t renderBus(std::uint32_t bus, const AudioChannels& channels) override;
    // Copies split mix channels from `first` on into `channels`.
    void copySplit(std::uint32_t first, const AudioChannels& channels) const;
    // `_controlMutex` held; the caller posts the update after unlocking.
    void updateStreamLocked();
    void updateDescriptionLocked();
    void postUpdate();

    mutable std::mutex _controlMutex; // configuration and attach; never on the render thread
    std::shared_ptr<KivAudioDevice> _device;
    // Readable without `_controlMutex`: the device asks while the send holds it.
    std::atomic<KivAudioDevice*> _devicePointer{nullptr};
    mutable std::mutex _descriptionMutex;
    std::string _descriptionText = "[unassigned KivAudioSend]";
    std::vector<std::shared_ptr<KivEffectBus>> _effectBusses;
    std::vector<std::shared_ptr<KivEffectBus>> _deadBusses;
    std::vector<KivAudioPlayable*> _attachedAudio; // in attach order
    std::vector<std::unique_ptr<AuxInput>> _auxInputs;
    std::uint32_t _auxChannels = 0;
    std::uint32_t _splitMixerInChannels = 0;
    std::optional<KivAudioStreamDescription> _inputFormat;

    // Swapped by updateStream under the stream's render lock and
    // `_mixerMutex`; read by the render thread under the render lock.
    std::unique_ptr<KivStream> _stream;
    mutable std::shared_mutex _mixerMutex;
    std::unique_ptr<MatrixMixer> _splitMixer;
    std::unique_ptr<KivAudioBusMap> _busMap;
    std::unique_ptr<MatrixMixer> _mergeMixer;
    std::vector<KivRenderInfo> _returns; // per effect bus: its output end, or unset
    std::vector<float> _splitSamples;    // the split mix of one block
    std::vector<float*> _splitChannels;
    std::vector<float*> _blockOutputs;
    std::uint32_t _blockFrames = 0;
    std::atomic<bool> _validStream{false};
    KivRenderFlags* _cycleFlags = nullptr;
    const KivRenderTimeStamp* _cycleTimeStamp = nullptr;
    RenderLogLimiter _renderErrors; // render thread
};
