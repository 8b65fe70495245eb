#include "platform/audiofile/AudioFileReader.h"
#include "platform/audiofile/AudioFixtures.h"

#include <benchmark/benchmark.h>
#include <sndfile.h>

#include <memory>
#include <string>
#include <vector>

// Decode + convert speed of one voice: 44.1 kHz stereo files read into
// 48 kHz deinterleaved float, in the read-ahead worker's block size. The
// "x_realtime" counter is seconds of audio delivered per second of CPU.
namespace {

constexpr unsigned kChannels = 2;
constexpr int kFileRate = 44100;
constexpr double kClientRate = 48000.0;
constexpr std::size_t kBlockFrames = 4096;

AudioFixtures::TempFolder& folder() {
    static AudioFixtures::TempFolder folder;
    return folder;
}

const std::vector<float>& tenSeconds() {
    static const std::vector<float> samples =
        AudioFixtures::signal(10 * kFileRate, kChannels, kFileRate);
    return samples;
}

std::string fixture(const char* name, int sndfileFormat) {
    const std::string path = folder().path(name);
    const bool written =
        sndfileFormat
            ? AudioFixtures::writeSndfile(path, sndfileFormat, tenSeconds(), kChannels, kFileRate)
            : AudioFixtures::writeM4a(path, tenSeconds(), kChannels, kFileRate);
    return written ? path : std::string();
}

void decodeAndConvert(benchmark::State& state, const char* name, int sndfileFormat) {
    const std::string path = fixture(name, sndfileFormat);
    AudioFileReader::OpenResult opened = AudioFileReader::open(path);
    if (!opened.reader || !opened.reader->setClientSampleRate(kClientRate)) {
        state.SkipWithError(("could not open " + path).c_str());
        return;
    }
    AudioFileReader& reader = *opened.reader;
    std::vector<float> left(kBlockFrames);
    std::vector<float> right(kBlockFrames);
    float* channels[kChannels] = {left.data(), right.data()};
    std::int64_t frames = 0;
    for (auto _ : state) {
        std::size_t got = reader.read(channels, kBlockFrames);
        if (got == 0) {
            reader.seek(0);
            got = reader.read(channels, kBlockFrames);
        }
        benchmark::DoNotOptimize(left.data());
        frames += static_cast<std::int64_t>(got);
    }
    state.counters["x_realtime"] =
        benchmark::Counter(static_cast<double>(frames) / kClientRate, benchmark::Counter::kIsRate);
}

} // namespace

BENCHMARK_CAPTURE(decodeAndConvert, Wav, "a.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16);
BENCHMARK_CAPTURE(decodeAndConvert, Flac, "a.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
BENCHMARK_CAPTURE(decodeAndConvert, Mp3, "a.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III);
BENCHMARK_CAPTURE(decodeAndConvert, Aac, "a.m4a", 0);
