#include "audio/source/KivAudioFile.h"

#include "platform/alias/KivAlias.h"
#include "platform/audiofile/AudioFixtures.h"
#include "support/CapturingLogSink.h"

#include <gtest/gtest.h>
#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr unsigned kChannels = 2;
constexpr int kFileRate = 44100;
constexpr std::size_t kFrames = 2 * 44100 + 555;

struct FormatCase {
    const char* name;
    const char* file;
    int sndfileFormat; // 0: an M4A through FFmpeg
    bool fallback;
};

void PrintTo(const FormatCase& format, std::ostream* out) {
    *out << format.name;
}

// Deinterleaved frames read through a KivAudioFile in blocks.
struct Capture {
    explicit Capture(unsigned channels)
        : all(channels)
        , block(channels, std::vector<float>(4096))
        , pointers(channels) {}

    // Reads until a read answers 0 or limit frames are in.
    std::size_t readRest(KivAudioFile& file, std::uint32_t blockFrames,
                         std::size_t limit = SIZE_MAX) {
        for (auto& channel : all) {
            channel.clear();
        }
        std::size_t frames = 0;
        while (frames < limit) {
            for (std::size_t c = 0; c < block.size(); ++c) {
                pointers[c] = block[c].data();
            }
            const auto ask =
                static_cast<std::uint32_t>(std::min<std::size_t>(blockFrames, limit - frames));
            const std::uint32_t got = file.readFrames(ask, view(ask), 0);
            if (got == 0) {
                break;
            }
            for (std::size_t c = 0; c < block.size(); ++c) {
                all[c].insert(all[c].end(), block[c].begin(), block[c].begin() + got);
            }
            frames += got;
        }
        return frames;
    }

    AudioChannels view(std::uint32_t frames) {
        return {pointers.data(), static_cast<std::uint32_t>(pointers.size()), frames};
    }

    std::vector<std::vector<float>> all;
    std::vector<std::vector<float>> block;
    std::vector<float*> pointers;
};

class KivAudioFileFormat : public ::testing::TestWithParam<FormatCase> {
protected:
    void SetUp() override {
        const FormatCase& format = GetParam();
        _path = _folder.path(format.file);
        const auto samples = AudioFixtures::signal(kFrames, kChannels, kFileRate);
        ASSERT_TRUE(format.sndfileFormat
                        ? AudioFixtures::writeSndfile(_path, format.sndfileFormat, samples,
                                                      kChannels, kFileRate)
                        : AudioFixtures::writeM4a(_path, samples, kChannels, kFileRate));
        _alias = KivAlias::aliasWithPath(_path);
        ASSERT_TRUE(_alias);
    }

    AudioFixtures::TempFolder _folder;
    std::string _path;
    std::shared_ptr<KivAlias> _alias;
};

TEST_P(KivAudioFileFormat, OpensWithTheFilesFormatAndLength) {
    KivAudioFile file(_alias);
    ASSERT_TRUE(file.validFile());
    EXPECT_EQ(file.usingQuickTime(), GetParam().fallback);
    ASSERT_TRUE(file.fileFormat());
    EXPECT_EQ(file.fileFormat()->sampleRate(), kFileRate);
    EXPECT_EQ(file.fileChannels(), kChannels);
    EXPECT_EQ(file.description(), _path);
    // Lossy encoders pad to whole blocks.
    EXPECT_NEAR(file.fileLengthInSeconds(), double(kFrames) / kFileRate, 2400.0 / kFileRate);
    EXPECT_EQ(*KivAudioFile::fileFormatForAlias(_alias), *file.fileFormat());
    EXPECT_EQ(KivAudioFile::fileLengthInSecondsForAlias(_alias), file.fileLengthInSeconds());
}

TEST_P(KivAudioFileFormat, ResampledLengthIsWithinOneFrameAndEndsAsTold) {
    KivAudioFile file(_alias);
    ASSERT_TRUE(file.setReadFormat(KivAudioStreamDescription(48000, kChannels)));
    Capture capture(kChannels);
    const std::size_t frames = capture.readRest(file, 1000);
    // After the last frame a read answers 0, and only then is the file finished.
    EXPECT_TRUE(file.isFinished());
    const double fileFrames = file.fileLengthInSeconds() * kFileRate;
    const double expected = fileFrames * 48000.0 / kFileRate;
    if (GetParam().sndfileFormat) {
        EXPECT_NEAR(double(frames), expected, 1.0);
    } else {
        // FFmpeg's length is its estimate of the stream's.
        EXPECT_NEAR(double(frames), expected, 2400.0);
    }
    std::vector<float> spare(16);
    float* pointers[] = {spare.data(), spare.data() + 8};
    EXPECT_EQ(file.readFrames(8, {pointers, kChannels, 8}, 0), 0u);
    EXPECT_TRUE(file.isFinished());
}

TEST_P(KivAudioFileFormat, FinishesOnlyOnTheReadThatFindsTheEnd) {
    KivAudioFile file(_alias);
    Capture capture(kChannels);
    const std::size_t total = capture.readRest(file, 4096);
    ASSERT_GT(total, 80000u);
    file.goToFrame(static_cast<std::int64_t>(total) - 100);
    EXPECT_FALSE(file.isFinished());
    EXPECT_EQ(capture.readRest(file, 100, 100), 100u);
    EXPECT_FALSE(file.isFinished());
    EXPECT_EQ(capture.readRest(file, 100), 0u);
    EXPECT_TRUE(file.isFinished());
    // A seek makes reads resume.
    file.goToFrame(0);
    EXPECT_FALSE(file.isFinished());
    EXPECT_EQ(capture.readRest(file, 64, 64), 64u);
}

TEST_P(KivAudioFileFormat, DecodingAfterGoToFrameEqualsAStraightDecode) {
    KivAudioFile straight(_alias);
    ASSERT_TRUE(straight.setReadFormat(KivAudioStreamDescription(48000, kChannels)));
    Capture whole(kChannels);
    whole.readRest(straight, 1024);

    KivAudioFile seeking(_alias);
    ASSERT_TRUE(seeking.setReadFormat(KivAudioStreamDescription(48000, kChannels)));
    Capture part(kChannels);
    // File frames on the 147-frame step of 44.1 kHz to 48 kHz, so each
    // target is a whole client frame: 147 * k file frames are 160 * k.
    for (std::int64_t step : {200, 3, 450, 0, 100}) {
        SCOPED_TRACE("step " + std::to_string(step));
        seeking.goToFrame(step * 147);
        const std::size_t got = part.readRest(seeking, 700, 4000);
        const auto at = static_cast<std::size_t>(step * 160);
        ASSERT_EQ(got, std::min<std::size_t>(4000, whole.all[0].size() - at));
        for (unsigned c = 0; c < kChannels; ++c) {
            float worst = 0.0f;
            for (std::size_t i = 0; i < got; ++i) {
                worst = std::max(worst, std::fabs(part.all[c][i] - whole.all[c][at + i]));
            }
            EXPECT_LT(worst, 1e-4f) << "channel " << c;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, KivAudioFileFormat,
    ::testing::Values(FormatCase{"Wav", "a.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, false},
                      FormatCase{"Flac", "a.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, false},
                      FormatCase{"OggVorbis", "a.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, false},
                      FormatCase{"Mp3", "a.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, false},
                      FormatCase{"M4a", "a.m4a", 0, true}),
    [](const ::testing::TestParamInfo<FormatCase>& tested) { return tested.param.name; });

class KivAudioFileReading : public ::testing::Test {
protected:
    // Channel c of frame f holds f + c / 2, exactly, in a float WAV.
    std::shared_ptr<KivAlias> staircase(const std::string& name, std::size_t frames) {
        std::vector<float> samples(frames * kChannels);
        for (std::size_t f = 0; f < frames; ++f) {
            for (unsigned c = 0; c < kChannels; ++c) {
                samples[f * kChannels + c] = float(f) + 0.5f * float(c);
            }
        }
        const std::string path = _folder.path(name);
        EXPECT_TRUE(AudioFixtures::writeSndfile(path, SF_FORMAT_WAV | SF_FORMAT_FLOAT, samples,
                                                kChannels, kFileRate));
        return KivAlias::aliasWithPath(path);
    }

    AudioFixtures::TempFolder _folder;
};

TEST_F(KivAudioFileReading, WritesAtTheOffsetAndSilencesWhatTheFileCannotFill) {
    KivAudioFile file(staircase("s.wav", 1000));
    Capture capture(kChannels);
    for (auto& channel : capture.block) {
        std::fill(channel.begin(), channel.end(), -1.0f);
    }
    for (std::size_t c = 0; c < kChannels; ++c) {
        capture.pointers[c] = capture.block[c].data();
    }
    file.goToFrame(10);
    EXPECT_EQ(file.readFrames(5, capture.view(20), 7), 5u);
    EXPECT_EQ(capture.block[0][6], -1.0f);
    EXPECT_EQ(capture.block[0][7], 10.0f);
    EXPECT_EQ(capture.block[1][11], 14.5f);
    EXPECT_EQ(capture.block[0][12], -1.0f);

    // Four frames are left: the other six asked for are silenced.
    file.goToFrame(996);
    EXPECT_EQ(file.readFrames(10, capture.view(20), 0), 4u);
    EXPECT_EQ(capture.block[1][3], 999.5f);
    EXPECT_EQ(capture.block[1][4], 0.0f);
    EXPECT_EQ(capture.block[0][9], 0.0f);
    EXPECT_EQ(capture.block[0][10], 13.0f); // past the frames asked for
    EXPECT_FALSE(file.isFinished());
}

TEST_F(KivAudioFileReading, NeverWritesPastTheListOrIntoAnotherLayout) {
    KivAudioFile file(staircase("s.wav", 1000));
    Capture capture(kChannels);
    for (std::size_t c = 0; c < kChannels; ++c) {
        capture.pointers[c] = capture.block[c].data();
    }
    EXPECT_EQ(file.readFrames(500, capture.view(3), 0), 3u);
    EXPECT_EQ(file.readFrames(10, {capture.pointers.data(), 1, 10}, 0), 0u);
    EXPECT_FALSE(file.isFinished());
    EXPECT_EQ(file.readFrames(1, capture.view(1), 0), 1u);
    EXPECT_EQ(capture.block[0][0], 3.0f);
}

TEST_F(KivAudioFileReading, RefusesAReadFormatItCannotDeliver) {
    KivAudioFile file(staircase("s.wav", 1000));
    CapturingLogSink log;
    EXPECT_FALSE(file.setReadFormat(KivAudioStreamDescription(48000, 1)));
    EXPECT_FALSE(file.setReadFormat(KivAudioStreamDescription(0, kChannels)));
    EXPECT_FALSE(file.setReadFormat(KivAudioStreamDescription(NAN, kChannels)));
    ASSERT_EQ(log.lines().size(), 3u);
    EXPECT_EQ(
        log.lines()[0].rfind("Error: KivAudioFile read format has 1 channels, the file 2: ", 0), 0u)
        << log.lines()[0];
    // The file still reads at its own rate.
    Capture capture(kChannels);
    EXPECT_EQ(capture.readRest(file, 300), 1000u);
}

TEST_F(KivAudioFileReading, AFileDeletedWhileItPlaysReadsToItsEnd) {
    auto alias = staircase("gone.wav", 5000);
    KivAudioFile file(alias);
    Capture capture(kChannels);
    EXPECT_EQ(capture.readRest(file, 1000, 1000), 1000u);
    ASSERT_EQ(::unlink(_folder.path("gone.wav").c_str()), 0);
    EXPECT_EQ(capture.readRest(file, 1000), 4000u);
    EXPECT_EQ(capture.all[0].back(), 4999.0f);
    EXPECT_TRUE(file.isFinished());
}

TEST_F(KivAudioFileReading, AFileCutShortWhileItPlaysGivesSilenceAndOneWarning) {
    auto alias = staircase("cut.wav", 20000);
    KivAudioFile file(alias);
    Capture capture(kChannels);
    EXPECT_EQ(capture.readRest(file, 1000, 1000), 1000u);
    ASSERT_EQ(::truncate(_folder.path("cut.wav").c_str(), 44 + 8 * 3000), 0);
    CapturingLogSink log;
    EXPECT_EQ(capture.readRest(file, 1000), 19000u);
    EXPECT_EQ(capture.all[0].back(), 0.0f);
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_EQ(log.lines()[0].rfind("Warning: Could not read ", 0), 0u) << log.lines()[0];
}

TEST(KivAudioFileWithoutAlias, IsInvalidAndReadsNothing) {
    KivAudioFile file;
    EXPECT_FALSE(file.validFile());
    EXPECT_FALSE(file.fileFormat());
    EXPECT_EQ(file.fileChannels(), 0u);
    EXPECT_EQ(file.fileLengthInSeconds(), 0.0);
    EXPECT_FALSE(file.setReadFormat(KivAudioStreamDescription(48000, 2)));
    float sample = 0.0f;
    float* pointers[] = {&sample};
    EXPECT_EQ(file.readFrames(1, {pointers, 1, 1}, 0), 0u);
    EXPECT_FALSE(KivAudioFile::fileFormatForAlias(nullptr));
    EXPECT_EQ(KivAudioFile::fileLengthInSecondsForAlias(nullptr), 0.0);
}

} // namespace
