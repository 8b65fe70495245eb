#pragma once

#include "audio/core/KivAudioStreamDescription.h"
#include "audio/render/KivRenderInfo.h"
#include "platform/audio/AudioBackend.h"
#include "platform/audio/AudioRenderCallback.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <shared_mutex>
#include <string>
#include <vector>

class KivAudioBusMap;
class KivDeviceVolumes;
class MatrixMixer;

// An open device's mixing: a matrix mixer of kKivAudioBusCount input buses of
// kKivAudioChannelsPerBus channels each into the output channels, the bus
// map through which the render thread pulls whatever is attached, and the
// gains and meters.
//
// Built and torn down by the device's open and close while no render cycle
// runs (before output starts, after it has stopped), under the device's
// control lock and `_mutex`; the render thread reads without a lock, the
// stream's start and stop ordering it against those writes; the gains and
// meters are read and set under `_mutex`, from any thread but the render
// thread. While torn down the setters are ignored, the master reads 0 and
// the meters sit at the floor (-120 dB).
class KivDeviceMixer {
public:
    KivDeviceMixer();
    ~KivDeviceMixer();
    KivDeviceMixer(const KivDeviceMixer&) = delete;
    KivDeviceMixer& operator=(const KivDeviceMixer&) = delete;

    // For a stream that runs at `config`: every bus free and disabled,
    // default volumes. False when the mixer cannot be made.
    bool build(const AudioStreamConfig& config);
    void tearDown();
    // Under the device's control lock: the bus map while built, else null.
    KivAudioBusMap* busMap() const { return _busMap.get(); }
    // What a source must deliver to a bus while built.
    const KivStreamBasicDescription& feedDescription() const { return _feedDesc; }

    // Render thread: mixes every attached bus into `buffer`, which arrives
    // silenced; false, leaving it so, while torn down or for no frames.
    bool render(const AudioRenderTime& time, const AudioOutputBuffer& buffer) noexcept;

    // Sets whether the mixer pulls `bus`; buses past the last are ignored.
    std::int32_t setEnabled(bool enabled, std::uint32_t bus);

    // The gains, as KivAudioDevice describes them.
    float masterVolume() const;
    void setMasterVolume(float volume);
    void setInputVolume(float volume, std::uint32_t channel);
    void setOutputVolume(float volume, std::uint32_t channel);
    void setCrosspointVolume(float volume, std::uint32_t input, std::uint32_t output);
    void setRawInputVolume(float volume, std::uint32_t channel);
    void setRawCrosspointVolume(float volume, std::uint32_t input, std::uint32_t output);
    void setVolume(float volume, std::uint32_t row, std::uint32_t column);
    void setSilentCrosspoints();
    void setDefaultVolumes();
    void setSilentVolumes();
    float outPostAveragePowerAtChannel(std::uint32_t channel) const;
    float outPostPeakHoldLevelAtChannel(std::uint32_t channel) const;
    // The mixer's gains as text; none while torn down.
    std::optional<std::string> gainsText() const;

private:
    // Runs `f` on the volumes under `_mutex`; false while torn down.
    template <class F>
    bool withVolumes(F&& f) const;
    // Render thread: through the scratch, for an interleaved stream.
    void renderInterleaved(KivRenderFlags& flags, const KivRenderTimeStamp& timeStamp,
                           const AudioOutputBuffer& buffer) noexcept;

    mutable std::shared_mutex _mutex;
    std::unique_ptr<MatrixMixer> _mixer;
    std::unique_ptr<KivDeviceVolumes> _volumes;
    std::unique_ptr<KivAudioBusMap> _busMap;
    // Render thread only while built: mixer output for an interleaved stream.
    std::vector<float> _scratch;
    std::vector<float*> _scratchChannels;
    KivStreamBasicDescription _feedDesc{};
};
