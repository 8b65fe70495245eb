#include "platform/audiofile/AudioFixtures.h"
#include "platform/audiofile/DecodeHelpers.h"
#include "platform/audiofile/OpenAudioDecoder.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <string>

namespace {

struct FormatCase {
    const char* name;
    const char* file;
    int sndfileFormat; // 0: an M4A through FFmpeg
    int rate;
    bool exactLength;
    const char* formatNamePart;
};

void PrintTo(const FormatCase& format, std::ostream* out) {
    *out << format.name;
}

class DecoderSeek : public ::testing::TestWithParam<FormatCase> {
protected:
    static constexpr unsigned kChannels = 2;
    static constexpr std::size_t kFrames = 3 * 44100 + 777;

    void SetUp() override {
        const FormatCase& format = GetParam();
        _path = _folder.path(format.file);
        const auto samples = AudioFixtures::signal(kFrames, kChannels, format.rate);
        const bool written = format.sndfileFormat
                                 ? AudioFixtures::writeSndfile(_path, format.sndfileFormat, samples,
                                                               kChannels, format.rate)
                                 : AudioFixtures::writeM4a(_path, samples, kChannels, format.rate);
        ASSERT_TRUE(written) << _path;
    }

    AudioFixtures::TempFolder _folder;
    std::string _path;
};

TEST_P(DecoderSeek, ReportsTheFilesProperties) {
    const FormatCase& format = GetParam();
    DecoderOpenResult opened = openAudioDecoder(_path);
    ASSERT_TRUE(opened.decoder) << opened.error.description;
    const AudioFileProperties& properties = opened.decoder->properties();
    EXPECT_EQ(properties.channels, kChannels);
    EXPECT_EQ(properties.sampleRate, format.rate);
    EXPECT_EQ(properties.lengthIsExact, format.exactLength);
    EXPECT_NE(properties.formatName.find(format.formatNamePart), std::string::npos)
        << properties.formatName;

    const std::size_t decoded = decodeRest(*opened.decoder).size() / kChannels;
    if (format.exactLength) {
        EXPECT_EQ(decoded, static_cast<std::size_t>(properties.lengthInFrames));
    }
    // Lossy encoders pad to whole blocks; the first block's delay is cut.
    EXPECT_NEAR(static_cast<double>(decoded), static_cast<double>(kFrames), 2400.0);
    EXPECT_NEAR(static_cast<double>(properties.lengthInFrames), static_cast<double>(decoded),
                2400.0);
}

TEST_P(DecoderSeek, DecodingAfterASeekEqualsAStraightDecode) {
    DecoderOpenResult straight = openAudioDecoder(_path);
    ASSERT_TRUE(straight.decoder) << straight.error.description;
    const std::vector<float> whole = decodeRest(*straight.decoder);
    const std::size_t total = whole.size() / kChannels;
    ASSERT_GT(total, 40000u);

    DecoderOpenResult seeking = openAudioDecoder(_path);
    ASSERT_TRUE(seeking.decoder);
    // Forward, backward, into the first block and close to the end.
    for (std::size_t target : {std::size_t{30001}, std::size_t{5}, std::size_t{1500},
                               std::size_t{77777}, total - 3000, std::size_t{0}}) {
        ASSERT_TRUE(seeking.decoder->seek(static_cast<std::int64_t>(target))) << target;
        const std::vector<float> part = decodeRest(*seeking.decoder, 6000);
        const std::size_t expected = std::min<std::size_t>(6000, total - target);
        ASSERT_EQ(part.size(), expected * kChannels) << "after a seek to " << target;
        EXPECT_EQ(maxDifference(part.data(), whole.data() + target * kChannels, part.size()), 0.0f)
            << "after a seek to " << target;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, DecoderSeek,
    ::testing::Values(
        FormatCase{"Wav", "a.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, true, "WAV"},
        FormatCase{"Aiff", "a.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_24, 44100, true, "AIFF"},
        FormatCase{"Caf", "a.caf", SF_FORMAT_CAF | SF_FORMAT_FLOAT, 44100, true, "CAF"},
        FormatCase{"Flac", "a.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 44100, true, "FLAC"},
        FormatCase{"Vorbis", "a.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 44100, true, "Vorbis"},
        FormatCase{"Opus", "a.opus", SF_FORMAT_OGG | SF_FORMAT_OPUS, 48000, true, "Opus"},
        FormatCase{"Mp3", "a.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 44100, false, "MPEG"},
        FormatCase{"M4a", "a.m4a", 0, 44100, false, "QuickTime / MOV, AAC"}),
    [](const ::testing::TestParamInfo<FormatCase>& tested) {
        return std::string(tested.param.name);
    });

} // namespace
