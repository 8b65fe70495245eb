#pragma once

#include "audio/KivAudioDevice.h"
#include "audio/KivAudioHardware.h"
#include "audio/KivAudioSource.h"
#include "foundation/KivLog.h"
#include "platform/alias/KivAlias.h"
#include "platform/audiofile/AudioFixtures.h"

#include <sndfile.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

// Stereo voices for the engine benchmarks: audio sources of real files on
// disk, each looping forever, on one device of the given hardware.
namespace SourceVoices {

constexpr int kFileRate = 44100;

// Counts the meta buffers' drop warnings and the frames they name.
class DropCounter final : public LogSink {
public:
    DropCounter() { _previous = setLogSink(this); }
    ~DropCounter() override { setLogSink(_previous); }
    void write(std::string_view line) override {
        unsigned long frames = 0;
        if (std::sscanf(std::string(line).c_str(), "Warning: dropped %lu frames", &frames) == 1) {
            _frames += frames;
        }
    }
    // Lines that render threads queued are counted too.
    std::uint64_t frames() const {
        drainRealtimeLog();
        return _frames.load();
    }

private:
    LogSink* _previous = nullptr;
    std::atomic<std::uint64_t> _frames{0};
};

// Resident memory of the process, in KiB.
inline double residentKiB() {
    long pages = 0;
    long resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) {
            resident = 0;
        }
        std::fclose(statm);
    }
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1024.0;
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
// own feed channels.
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

// Gives the read-ahead workers time to fill before a measurement starts.
inline void letReadAheadFill() {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
}

} // namespace SourceVoices
