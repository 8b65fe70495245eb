#include "platform/audiofile/AudioFileReader.h"
#include "platform/audiofile/AudioFixtures.h"
#include "platform/audiofile/DecodeHelpers.h"
#include "support/CapturingLogSink.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cstdint>
#include <string>

// libsndfile 1.2.0 leaks its Vorbis header state when it refuses a damaged
// Ogg file; that is the library's, not ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:vorbis_info_init\n";
}

// Small files of every kind, damaged in seeded ways: every one either is
// refused with a reason or reads to an end, with at most one warning.
namespace {

struct CorruptCase {
    const char* name;
    const char* file;
    int format; // 0: an M4A through FFmpeg
};

class CorruptFile : public ::testing::TestWithParam<CorruptCase> {};

std::string damage(const std::string& bytes, std::uint32_t seed) {
    std::string out = bytes;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    switch (next() % 4) {
    case 0: // cut anywhere, the header included
        out.resize(next() % out.size());
        break;
    case 1: // a few bytes anywhere
        for (int i = 0; i < 8; ++i) {
            out[next() % out.size()] = static_cast<char>(next());
        }
        break;
    case 2: { // a run of bytes in the first part, where the headers lie
        const std::size_t at = next() % std::min<std::size_t>(out.size(), 512);
        for (std::size_t i = at; i < std::min(out.size(), at + 16); ++i) {
            out[i] = static_cast<char>(next());
        }
        break;
    }
    default: // a stretch of the body lost
        out.erase(next() % out.size(), 1 + next() % 2048);
        break;
    }
    return out;
}

TEST_P(CorruptFile, IsRefusedOrReadsToAnEnd) {
    AudioFixtures::TempFolder folder;
    const std::string path = folder.path(GetParam().file);
    const auto samples = AudioFixtures::signal(11025, 2, 44100);
    ASSERT_TRUE(GetParam().format
                    ? AudioFixtures::writeSndfile(path, GetParam().format, samples, 2, 44100)
                    : AudioFixtures::writeM4a(path, samples, 2, 44100));
    const std::string good = AudioFixtures::readBytes(path);

    int opened = 0;
    for (std::uint32_t seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        AudioFixtures::writeBytes(path, damage(good, seed));
        CapturingLogSink log;
        AudioFileReader::OpenResult result = AudioFileReader::open(path);
        if (!result.reader) {
            EXPECT_NE(result.error.kind, AudioFileErrorKind::None);
            continue;
        }
        ++opened;
        AudioFileReader& reader = *result.reader;
        ASSERT_TRUE(reader.setClientSampleRate(48000));
        const std::size_t cap = static_cast<std::size_t>(reader.lengthInClientFrames()) + 48000;
        readRest(reader, 1000, cap);
        EXPECT_TRUE(reader.isFinished());
        reader.seek(reader.lengthInClientFrames() / 2);
        readRest(reader, 1000, cap);
        EXPECT_LE(log.lines().size(), 1u);
    }
    // Some damage leaves a file that still plays.
    EXPECT_GT(opened, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, CorruptFile,
    ::testing::Values(CorruptCase{"Wav", "a.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16},
                      CorruptCase{"Flac", "a.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
                      CorruptCase{"Vorbis", "a.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS},
                      CorruptCase{"Mp3", "a.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III},
                      CorruptCase{"M4a", "a.m4a", 0}),
    [](const ::testing::TestParamInfo<CorruptCase>& tested) {
        return std::string(tested.param.name);
    });

} // namespace
