#pragma once

#include "audio/source/KivAudioMetaBuffer.h"
#include "foundation/ThreadRole.h"
#include "platform/alias/KivAlias.h"
#include "platform/audiofile/AudioFixtures.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <memory>
#include <string>
#include <vector>

// Meta buffers over an index ramp: a mono 44.1 kHz file whose every sample
// is its own frame number (exact in float), so each rendered frame says
// where in the file it came from.
class MetaBufferFixture : public ::testing::Test {
protected:
    static constexpr int kRate = 44100;

    std::shared_ptr<KivAlias> ramp(std::size_t frames, const std::string& name = "ramp.wav") {
        std::vector<float> samples(frames);
        for (std::size_t f = 0; f < frames; ++f) {
            samples[f] = float(f);
        }
        const std::string path = _folder.path(name);
        EXPECT_TRUE(
            AudioFixtures::writeSndfile(path, SF_FORMAT_WAV | SF_FORMAT_FLOAT, samples, 1, kRate));
        return KivAlias::aliasWithPath(path);
    }

    template <class... Entries>
    static nlohmann::json list(Entries... entries) {
        return nlohmann::json::array({nlohmann::json(entries)...});
    }
    static nlohmann::json slice(double start, double end, std::int64_t count) {
        return {{"startTime", start}, {"endTime", end}, {"playCount", count}};
    }

    // One render cycle of a hand-pumped meta buffer: the tend steps it asks
    // for, one fill of each read-ahead buffer, then the read as the render
    // thread does it.
    std::vector<float> cycle(KivAudioMetaBuffer& meta, std::uint32_t frames, bool fill = true) {
        while (meta.tendOnce()) {
        }
        if (fill) {
            meta.fillBuffersOnce();
        }
        return render(meta, frames);
    }

    static std::vector<float> render(KivAudioMetaBuffer& meta, std::uint32_t frames) {
        std::vector<float> out(frames, -1.0f);
        float* channels[1] = {out.data()};
        ScopedThreadRole role(ThreadRole::Render);
        EXPECT_EQ(meta.readFrames(frames, {channels, 1, frames}, 0), frames);
        return out;
    }

    // `total` frames in cycles of `frames`, joined.
    std::vector<float> play(KivAudioMetaBuffer& meta, std::size_t total, std::uint32_t frames) {
        std::vector<float> all;
        while (all.size() < total) {
            const auto part = cycle(meta, frames);
            all.insert(all.end(), part.begin(), part.end());
        }
        all.resize(total);
        return all;
    }

    std::unique_ptr<KivAudioMetaBuffer> manual(const std::shared_ptr<KivAlias>& alias,
                                               const Clock* clock = nullptr) {
        const KivAudioStreamDescription format(kRate, 1);
        return KivAudioMetaBuffer::create(alias, &format, KivAudioMetaBufferWorker::Manual, clock);
    }

    AudioFixtures::TempFolder _folder;
};

// The first index where `samples` differs from first, first + 1, ...;
// the size when none does.
inline std::size_t firstBreakInRamp(const std::vector<float>& samples, std::size_t from,
                                    std::size_t count, std::int64_t first) {
    for (std::size_t i = 0; i < count; ++i) {
        if (samples[from + i] != float(first + std::int64_t(i))) {
            return from + i;
        }
    }
    return samples.size();
}
