#include "platform/audiofile/AudioFileReader.h"
#include "platform/audiofile/AudioFixtures.h"
#include "platform/audiofile/DecodeHelpers.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

constexpr int kRate = 48000;
constexpr unsigned kChannels = 2;
constexpr std::size_t kFrames = 9000;

// Writes interleaved doubles as they stand: 64-bit float WAV.
bool writeDoubleWav(const std::string& path, const std::vector<double>& samples) {
    SF_INFO info{};
    info.samplerate = kRate;
    info.channels = kChannels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_DOUBLE;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) {
        return false;
    }
    const auto frames = static_cast<sf_count_t>(samples.size() / kChannels);
    const bool written = sf_writef_double(file, samples.data(), frames) == frames;
    return sf_close(file) == 0 && written;
}

// The whole file through a reader at the client rate, deinterleaved.
std::vector<std::vector<float>> readAll(const std::string& path, double clientRate) {
    AudioFileReader::OpenResult opened = AudioFileReader::open(path);
    EXPECT_TRUE(opened.reader) << opened.error.description;
    if (!opened.reader) {
        return {};
    }
    EXPECT_TRUE(opened.reader->setClientSampleRate(clientRate));
    return readRest(*opened.reader, 1000);
}

class NonFiniteSamples : public ::testing::Test {
protected:
    // Frames whose left sample the hostile files spoil; the right channel is never touched.
    static constexpr std::size_t kSpoilt[] = {1000, 1001, 4000, 7000};

    void SetUp() override {
        _clean = AudioFixtures::signal(kFrames, kChannels, kRate);
        _silenced = _clean;
        for (const std::size_t frame : kSpoilt) {
            _silenced[frame * kChannels] = 0.0f;
        }
        ASSERT_TRUE(AudioFixtures::writeSndfile(_folder.path("silenced.wav"),
                                                SF_FORMAT_WAV | SF_FORMAT_FLOAT, _silenced,
                                                kChannels, kRate));
    }

    // The hostile file must read exactly as the one whose spoilt samples are 0,
    // at the file's own rate and converted.
    void expectReadsAsSilenced(const std::string& hostile) {
        for (const double rate : {double(kRate), 44100.0}) {
            const auto read = readAll(hostile, rate);
            const auto reference = readAll(_folder.path("silenced.wav"), rate);
            ASSERT_EQ(read.size(), kChannels);
            ASSERT_EQ(reference.size(), kChannels);
            for (unsigned c = 0; c < kChannels; ++c) {
                ASSERT_EQ(read[c].size(), reference[c].size()) << rate;
                std::size_t nonFinite = 0;
                for (const float sample : read[c]) {
                    nonFinite += !std::isfinite(sample);
                }
                EXPECT_EQ(nonFinite, 0u) << "channel " << c << " at " << rate << " Hz";
                EXPECT_EQ(read[c], reference[c]) << "channel " << c << " at " << rate << " Hz";
            }
            if (rate == kRate) {
                for (std::size_t f = 0; f < kFrames; ++f) {
                    ASSERT_EQ(read[0][f], _silenced[f * kChannels]) << f;
                    ASSERT_EQ(read[1][f], _clean[f * kChannels + 1]) << f;
                }
            }
        }
    }

    AudioFixtures::TempFolder _folder;
    std::vector<float> _clean;
    std::vector<float> _silenced;
};

TEST_F(NonFiniteSamples, NanAndInfinityInAFloatFileBecomeSilence) {
    std::vector<float> hostile = _clean;
    hostile[kSpoilt[0] * kChannels] = std::numeric_limits<float>::quiet_NaN();
    hostile[kSpoilt[1] * kChannels] = -std::numeric_limits<float>::quiet_NaN();
    hostile[kSpoilt[2] * kChannels] = std::numeric_limits<float>::infinity();
    hostile[kSpoilt[3] * kChannels] = -std::numeric_limits<float>::infinity();
    const std::string path = _folder.path("hostile.wav");
    ASSERT_TRUE(AudioFixtures::writeSndfile(path, SF_FORMAT_WAV | SF_FORMAT_FLOAT, hostile,
                                            kChannels, kRate));
    expectReadsAsSilenced(path);
}

TEST_F(NonFiniteSamples, DoublesBeyondFloatRangeBecomeSilence) {
    std::vector<double> hostile(_clean.begin(), _clean.end());
    hostile[kSpoilt[0] * kChannels] = 1e300;
    hostile[kSpoilt[1] * kChannels] = -1e300;
    hostile[kSpoilt[2] * kChannels] = std::numeric_limits<double>::quiet_NaN();
    hostile[kSpoilt[3] * kChannels] = -std::numeric_limits<double>::infinity();
    const std::string path = _folder.path("hostile64.wav");
    ASSERT_TRUE(writeDoubleWav(path, hostile));
    expectReadsAsSilenced(path);
}

} // namespace
