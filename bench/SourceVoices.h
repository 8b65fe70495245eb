#pragma once

#include "ResidentMemory.h"
#include "audio/device/KivAudioDevice.h"
#include "audio/device/KivAudioHardware.h"
#include "audio/effects/KivAudioComponentDescription.h"
#include "audio/effects/KivEffect.h"
#include "audio/effects/KivLv2Catalogue.h"
#include "audio/source/KivAudioSource.h"
#include "platform/alias/KivAlias.h"
#include "platform/audiofile/AudioFixtures.h"
#include "platform/effects/Lv2World.h"

#include <sndfile.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <thread>
#include <vector>

// Stereo voices for the engine benchmarks: audio sources of real files on
// disk, each looping forever, on one device of the given hardware.
namespace SourceVoices {

constexpr int kFileRate = 44100;
constexpr const char* kMdaDelay = "http://drobilla.net/plugins/mda/Delay";
constexpr const char* kMdaLimiter = "http://drobilla.net/plugins/mda/Limiter";

// Frames the voices' read-ahead could not supply, from the engine's own count
// (the meta buffers'), whatever the clock and the warnings' pace.
inline std::uint64_t droppedFrames(const std::vector<std::shared_ptr<KivAudioSource>>& voices) {
    std::uint64_t frames = 0;
    for (const auto& voice : voices) {
        frames += voice->droppedFrames();
    }
    return frames;
}

// CPU time of the calling thread, in seconds: what a render call costs
// whatever else the machine runs meanwhile (wall time counts preemption).
inline double threadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// `count` stereo files of `seconds`, each its own file.
inline std::vector<std::string> writeFiles(AudioFixtures::TempFolder& folder, std::size_t count,
                                           int seconds) {
    const auto samples = AudioFixtures::signal(seconds * kFileRate, 2, kFileRate);
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < count; ++i) {
        paths.push_back(folder.path("voice" + std::to_string(i) + ".wav"));
        if (!AudioFixtures::writeSndfile(paths.back(), SF_FORMAT_WAV | SF_FORMAT_PCM_16, samples, 2,
                                         kFileRate)) {
            return {};
        }
    }
    return paths;
}

// A looping voice of the file on the device, both file channels on their
// own feed channels. Give it a real clock: the meta buffer's underrun warning
// waits for a second of it to pass.
inline std::shared_ptr<KivAudioSource> loopingVoice(const std::string& path,
                                                    const std::shared_ptr<KivAudioDevice>& device,
                                                    Scheduler& scheduler, const Clock& clock) {
    auto source = KivAudioSource::create(scheduler, clock);
    if (!source) {
        return nullptr;
    }
    source->setDevice(device);
    source->setAlias(KivAlias::aliasWithPath(path));
    const double length = source->fileLengthInSeconds();
    source->setSlices(
        nlohmann::json::array({{{"startTime", 0.0}, {"endTime", length}, {"playCount", -1}}}));
    source->goToTime(0.0);
    source->setDefaultVolumes();
    source->setMasterVolume(1.0f / 64.0f);
    return source->isValid() ? source : nullptr;
}

// Real effects for the voices: the catalogue of the LV2 plugins installed on
// LV2_PATH (lilv's default path when unset); false when mda-lv2 is missing.
inline bool useInstalledEffects() {
    auto world = Lv2World::load();
    if (!world || !world->plugin(std::string(kMdaDelay))) {
        return false;
    }
    setComponentCatalogue(std::make_shared<KivLv2Catalogue>(world));
    return true;
}

// Two stereo mda-lv2 effects on the voice, a delay then a limiter, as a cue
// might have; its gains as loopingVoice() set them.
inline bool addTwoEffects(KivAudioSource& voice) {
    std::vector<std::shared_ptr<KivEffect>> effects;
    for (const char* uri : {kMdaDelay, kMdaLimiter}) {
        auto effect = KivEffect::effectWithDescription(
            KivAudioComponentDescription(kKivComponentTypeEffect, 0, 0, 0, 0, uri));
        if (!effect) {
            return false;
        }
        effects.push_back(std::move(effect));
    }
    voice.setEffects(std::move(effects));
    voice.setDefaultVolumes();
    voice.setMasterVolume(1.0f / 64.0f);
    return voice.isValid() && voice.effects().size() == 2;
}

// Gives the read-ahead workers time to fill before a measurement starts.
inline void letReadAheadFill() {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
}

} // namespace SourceVoices
