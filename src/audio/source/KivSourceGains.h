#pragma once

#include "audio/render/KivFadeRunner.h"
#include "audio/render/MatrixMixer.h"
#include "foundation/Clock.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <shared_mutex>

class KivDeviceVolumes;

// A source's own mixer, its gains, its post-fader meters and its master
// fades. The mixer is swapped by the source's rebuilds and run by its render
// path; the gains are set from any thread but the render thread.
//
// Threads:
// - gain setters, meters (main, MIDI delivery, fade threads): under
//   `_mixerMutex` shared. Without a mixer or while the source's stream is
//   invalid they do nothing and the master reads 0.
// - rebuilds (control thread, the source's render lock held): exchangeMixer()
//   under `_mixerMutex` exclusive.
// - the render thread: renderMixer() under the source's render lock only; a
//   rebuild holds that lock whenever it swaps the mixer.
class KivSourceGains final : private KivFadeTarget {
public:
    // `valid` says the source has a playable stream, `playing` lets a fade
    // go on; both must outlive this object.
    KivSourceGains(const std::atomic<bool>& valid, const std::atomic<bool>& playing);
    ~KivSourceGains();
    KivSourceGains(const KivSourceGains&) = delete;
    KivSourceGains& operator=(const KivSourceGains&) = delete;

    // Input channels are file channels, outputs feed channels.
    float masterVolume() const;
    void setMasterVolume(float volume);
    void setInputVolume(float volume, std::uint32_t channel);
    void setOutputVolume(float volume, std::uint32_t channel);
    void setCrosspointVolume(float volume, std::uint32_t input, std::uint32_t output);
    void setVolume(float volume, std::uint32_t row, std::uint32_t column);
    void setSilentVolumes();
    // False (and nothing set) without a valid stream.
    bool setDefaultVolumes();
    float outPostAveragePowerAtChannel(std::uint32_t channel) const;
    float outPostPeakHoldLevelAtChannel(std::uint32_t channel) const;

    // Master fades; see KivFadeRunner.
    void fadeToMasterVolume(float volume, double time);
    void endFades();
    void useSteppedFades(const Clock& clock);
    std::size_t stepFades();

    // Rebuilds: the routing and gains to carry over (none without a mixer),
    // and the swap of the mixer itself, answering the old one to be freed
    // outside the render lock.
    MatrixLevels levels() const;
    std::unique_ptr<MatrixMixer> exchangeMixer(std::unique_ptr<MatrixMixer> mixer);

    // Render thread, under the source's render lock with a valid stream.
    MatrixMixer& renderMixer() { return *_mixer; }

private:
    // Runs `f` on the mixer under `_mixerMutex` (shared); false without one.
    template <class F>
    bool withMixer(F&& f) const;
    // KivFadeTarget.
    float fadeVolume() override { return masterVolume(); }
    void setFadeVolume(float volume) override { setMasterVolume(volume); }
    bool fadeMayContinue() override { return _playing.load(std::memory_order_acquire); }

    const std::atomic<bool>& _valid;
    const std::atomic<bool>& _playing;
    mutable std::shared_mutex _mixerMutex;
    std::unique_ptr<MatrixMixer> _mixer;
    SteadyClock _steadyClock;
    std::unique_ptr<KivFadeRunner> _fades;
};
