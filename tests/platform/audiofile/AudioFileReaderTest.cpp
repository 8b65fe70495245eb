#include "platform/audiofile/AudioFileReader.h"

#include "platform/audiofile/AudioFixtures.h"
#include "platform/audiofile/DecodeHelpers.h"
#include "platform/audiofile/OpenAudioDecoder.h"
#include "support/CapturingLogSink.h"

#include <gtest/gtest.h>
#include <sndfile.h>
#include <unistd.h>

#include <cmath>

namespace {

std::unique_ptr<AudioFileReader> openReader(const std::string& path, double clientRate) {
    AudioFileReader::OpenResult opened = AudioFileReader::open(path);
    EXPECT_TRUE(opened.reader) << opened.error.description;
    if (opened.reader) {
        EXPECT_TRUE(opened.reader->setClientSampleRate(clientRate));
    }
    return std::move(opened.reader);
}

std::size_t countWarnings(const CapturingLogSink& log) {
    std::size_t warnings = 0;
    for (const std::string& line : log.lines()) {
        warnings += line.rfind("Warning: Could not read ", 0) == 0;
    }
    return warnings;
}

struct Rates {
    int file;
    int client;
    // Rates sharing no small step seek to within a small part of a frame.
    float seekTolerance = 1e-4f;
};

class ReaderConversion : public ::testing::TestWithParam<Rates> {
protected:
    static constexpr unsigned kChannels = 2;
    static constexpr std::size_t kFrames = 2 * 44100 + 313;

    void SetUp() override {
        _path = _folder.path("a.wav");
        ASSERT_TRUE(
            AudioFixtures::writeSndfile(_path, SF_FORMAT_WAV | SF_FORMAT_FLOAT,
                                        AudioFixtures::signal(kFrames, kChannels, GetParam().file),
                                        kChannels, GetParam().file));
    }

    AudioFixtures::TempFolder _folder;
    std::string _path;
};

TEST_P(ReaderConversion, DeliversTheConvertedLengthWithinOneFrame) {
    auto reader = openReader(_path, GetParam().client);
    ASSERT_TRUE(reader);
    const double expected = kFrames * double(GetParam().client) / GetParam().file;
    EXPECT_NEAR(static_cast<double>(reader->lengthInClientFrames()), expected, 1.0);
    const auto all = readRest(*reader, 1000);
    EXPECT_NEAR(static_cast<double>(all[0].size()), expected, 1.0);
    EXPECT_EQ(all[1].size(), all[0].size());
    EXPECT_TRUE(reader->isFinished());
    float* pointers[2] = {nullptr, nullptr};
    EXPECT_EQ(reader->read(pointers, 100), 0u);
}

TEST_P(ReaderConversion, BlockSizeDoesNotChangeTheOutput) {
    auto big = openReader(_path, GetParam().client);
    auto small = openReader(_path, GetParam().client);
    ASSERT_TRUE(big && small);
    const auto a = readRest(*big, 4096);
    const auto b = readRest(*small, 333);
    ASSERT_EQ(a[0].size(), b[0].size());
    for (unsigned c = 0; c < kChannels; ++c) {
        EXPECT_EQ(maxDifference(a[c].data(), b[c].data(), a[c].size()), 0.0f);
    }
}

TEST_P(ReaderConversion, ReadingAfterASeekMatchesAStraightRun) {
    auto straight = openReader(_path, GetParam().client);
    auto seeking = openReader(_path, GetParam().client);
    ASSERT_TRUE(straight && seeking);
    const auto whole = readRest(*straight, 1024);
    const std::size_t total = whole[0].size();
    for (std::size_t target :
         {std::size_t{40000}, std::size_t{7}, std::size_t{2500}, total - 1200, std::size_t{0}}) {
        ASSERT_TRUE(seeking->seek(static_cast<std::int64_t>(target)));
        EXPECT_FALSE(seeking->isFinished());
        const auto part = readRest(*seeking, 512, 5000);
        ASSERT_EQ(part[0].size(), std::min<std::size_t>(5000, total - target)) << target;
        for (unsigned c = 0; c < kChannels; ++c) {
            // Only the converter's block boundaries differ: rounding, no more.
            EXPECT_LT(maxDifference(part[c].data(), whole[c].data() + target, part[c].size()),
                      GetParam().seekTolerance)
                << "channel " << c << " after a seek to " << target;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Rates, ReaderConversion,
                         ::testing::Values(Rates{44100, 48000}, Rates{48000, 44100},
                                           Rates{22050, 48000}, Rates{44100, 44100},
                                           Rates{44100, 47999}, Rates{96000, 44101, 2e-3f}),
                         [](const ::testing::TestParamInfo<Rates>& tested) {
                             return std::to_string(tested.param.file) + "to" +
                                    std::to_string(tested.param.client);
                         });

class Reader : public ::testing::Test {
protected:
    std::string write(const std::string& name, int format, unsigned channels, std::size_t frames,
                      int rate = 44100) {
        const std::string path = _folder.path(name);
        EXPECT_TRUE(AudioFixtures::writeSndfile(
            path, format, AudioFixtures::signal(frames, channels, rate), channels, rate));
        return path;
    }

    AudioFixtures::TempFolder _folder;
};

TEST_F(Reader, AtTheFileRateDeliversTheDecodedFramesDeinterleaved) {
    const std::string path = write("a.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 3, 20000);
    DecoderOpenResult decoder = openAudioDecoder(path);
    ASSERT_TRUE(decoder.decoder);
    const std::vector<float> interleaved = decodeRest(*decoder.decoder);
    auto reader = openReader(path, 44100);
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->lengthInClientFrames(), 20000);
    const auto all = readRest(*reader, 700);
    ASSERT_EQ(all.size(), 3u);
    ASSERT_EQ(all[2].size(), 20000u);
    for (std::size_t i = 0; i < 20000; i += 97) {
        for (unsigned c = 0; c < 3; ++c) {
            ASSERT_EQ(all[c][i], interleaved[i * 3 + c]) << i << " " << c;
        }
    }
}

TEST_F(Reader, EndOfFileHoldsUntilTheNextSeek) {
    auto reader = openReader(write("a.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 5000), 48000);
    ASSERT_TRUE(reader);
    readRest(*reader, 4096);
    EXPECT_TRUE(reader->isFinished());
    std::vector<float> block(256);
    float* pointer = block.data();
    EXPECT_EQ(reader->read(&pointer, 256), 0u);
    ASSERT_TRUE(reader->seek(1000));
    EXPECT_FALSE(reader->isFinished());
    EXPECT_EQ(reader->read(&pointer, 256), 256u);
}

TEST_F(Reader, SeekPastTheEndFinishesAtOnce) {
    auto reader = openReader(write("a.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 5000), 48000);
    ASSERT_TRUE(reader);
    EXPECT_TRUE(reader->seek(reader->lengthInClientFrames() + 10));
    EXPECT_TRUE(reader->isFinished());
    std::vector<float> block(64);
    float* pointer = block.data();
    EXPECT_EQ(reader->read(&pointer, 64), 0u);
    EXPECT_FALSE(reader->seek(-1));
}

TEST_F(Reader, RefusesAbsurdClientRates) {
    AudioFileReader::OpenResult opened =
        AudioFileReader::open(write("a.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 500));
    ASSERT_TRUE(opened.reader);
    EXPECT_FALSE(opened.reader->setClientSampleRate(0.0));
    EXPECT_FALSE(opened.reader->setClientSampleRate(NAN));
    EXPECT_FALSE(opened.reader->setClientSampleRate(1e9));
    EXPECT_EQ(opened.reader->clientSampleRate(), 44100.0);
}

TEST_F(Reader, ConvertsFortyEightChannels) {
    auto reader = openReader(write("48.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 48, 4410), 48000);
    ASSERT_TRUE(reader);
    const auto all = readRest(*reader, 1000);
    ASSERT_EQ(all.size(), 48u);
    EXPECT_NEAR(static_cast<double>(all[47].size()), 4800.0, 1.0);
    // Each channel carries its own chord, so neighbours differ.
    EXPECT_GT(maxDifference(all[46].data(), all[47].data(), all[47].size()), 0.1f);
}

TEST_F(Reader, FileDeletedWhileReadingPlaysOn) {
    const std::string path = write("a.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 30000);
    auto straight = openReader(path, 48000);
    auto reader = openReader(path, 48000);
    ASSERT_TRUE(straight && reader);
    const auto whole = readRest(*straight, 1000);
    const auto first = readRest(*reader, 1000, 10000);
    ASSERT_EQ(::unlink(path.c_str()), 0);
    const auto rest = readRest(*reader, 1000);
    ASSERT_EQ(first[0].size() + rest[0].size(), whole[0].size());
    EXPECT_EQ(maxDifference(rest[0].data(), whole[0].data() + 10000, rest[0].size()), 0.0f);
}

TEST_F(Reader, FileTruncatedWhileReadingGivesSilenceAndOneWarning) {
    const std::string path = write("a.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 44100);
    auto reader = openReader(path, 44100);
    ASSERT_TRUE(reader);
    CapturingLogSink log;
    readRest(*reader, 1000, 5000);
    ASSERT_EQ(::truncate(path.c_str(), 44 + 20000 * 4), 0);
    const auto rest = readRest(*reader, 1000);
    ASSERT_EQ(rest[0].size(), 44100u - 5000u);
    // Whatever was buffered before the cut may still play; the end is silent.
    for (std::size_t i = 30000 - 5000; i < rest[0].size(); ++i) {
        ASSERT_EQ(rest[0][i], 0.0f) << i;
    }
    EXPECT_EQ(countWarnings(log), 1u);
    ASSERT_TRUE(reader->seek(0));
    readRest(*reader, 1000);
    EXPECT_EQ(countWarnings(log), 1u);
}

TEST_F(Reader, TruncatedFlacPlaysItsFirstPartThenSilence) {
    const std::string path = write("a.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 2, 44100);
    const std::string bytes = AudioFixtures::readBytes(path);
    AudioFixtures::writeBytes(path, bytes.substr(0, bytes.size() / 2));
    CapturingLogSink log;
    auto reader = openReader(path, 48000);
    ASSERT_TRUE(reader);
    const auto all = readRest(*reader, 1000);
    EXPECT_EQ(static_cast<std::int64_t>(all[0].size()), reader->lengthInClientFrames());
    EXPECT_GT(maxDifference(all[0].data(), std::vector<float>(1000).data(), 1000), 0.1f);
    EXPECT_EQ(all[0].back(), 0.0f);
    EXPECT_EQ(countWarnings(log), 1u);
}

// Fails its reads from a set frame on, as a disk error would.
class FailingDecoder : public AudioDecoder {
public:
    explicit FailingDecoder(std::int64_t failAt)
        : _failAt(failAt) {
        _properties = {1, 44100.0, 10000, true, "test"};
    }
    void setChannels(unsigned channels) { _properties.channels = channels; }
    const AudioFileProperties& properties() const override { return _properties; }
    DecoderRead read(float* out, std::size_t frames) override {
        if (_position >= _failAt) {
            return {0, true};
        }
        const std::size_t n = std::min<std::size_t>(frames, _failAt - _position);
        std::fill_n(out, n, 0.5f);
        _position += static_cast<std::int64_t>(n);
        return {n, false};
    }
    bool seek(std::int64_t frame) override {
        _position = frame;
        return true;
    }

private:
    AudioFileProperties _properties;
    std::int64_t _failAt;
    std::int64_t _position = 0;
};

TEST_F(Reader, ReadErrorMidFileGivesSilenceToTheLengthAndOneWarning) {
    CapturingLogSink log;
    AudioFileReader::OpenResult opened =
        AudioFileReader::open(std::make_unique<FailingDecoder>(3000), "/show/cue.wav");
    ASSERT_TRUE(opened.reader);
    AudioFileReader& reader = *opened.reader;
    const auto all = readRest(reader, 512);
    ASSERT_EQ(all[0].size(), 10000u);
    EXPECT_EQ(all[0][2999], 0.5f);
    EXPECT_EQ(all[0][3000], 0.0f);
    EXPECT_EQ(all[0][9999], 0.0f);
    EXPECT_TRUE(reader.isFinished());
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_EQ(log.lines()[0],
              "Warning: Could not read /show/cue.wav after frame 3000; playing silence to its end");
}

TEST_F(Reader, WrappedDecoderMeetsTheSameLimits) {
    auto decoder = std::make_unique<FailingDecoder>(3000);
    decoder->setChannels(49);
    AudioFileReader::OpenResult opened = AudioFileReader::open(std::move(decoder), "/x.wav");
    EXPECT_FALSE(opened.reader);
    EXPECT_EQ(opened.error.kind, AudioFileErrorKind::TooManyChannels);
}

TEST_F(Reader, CorruptAacMidFileGivesSilenceAndOneWarning) {
    const std::string path = _folder.path("a.m4a");
    ASSERT_TRUE(AudioFixtures::writeM4a(path, AudioFixtures::signal(88200, 2, 44100), 2, 44100));
    std::string bytes = AudioFixtures::readBytes(path);
    const std::size_t mdat = bytes.find("mdat");
    ASSERT_NE(mdat, std::string::npos);
    // Fills a third of the sound data, from its middle, with bytes that no
    // AAC packet can start with, leaving the index intact.
    const std::size_t from = mdat + (bytes.size() - mdat) / 2;
    const std::size_t length = std::min((bytes.size() - mdat) / 3, bytes.size() - from);
    std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(from), length, '\xff');
    AudioFixtures::writeBytes(path, bytes);

    CapturingLogSink log;
    DecoderOpenResult decoder = openAudioDecoder(path);
    ASSERT_TRUE(decoder.decoder) << decoder.error.description;
    // One read over the whole file: the frames decoded before the failure
    // are not passed off as a good read.
    std::vector<float> block(100000 * 2, 9.0f);
    const DecoderRead whole = decoder.decoder->read(block.data(), 100000);
    ASSERT_TRUE(whole.failed);
    EXPECT_EQ(whole.frames, 0u);
    auto reader = openReader(path, 48000);
    ASSERT_TRUE(reader);
    const auto all = readRest(*reader, 1024);
    EXPECT_GT(all[0].size(), 40000u);
    EXPECT_EQ(countWarnings(log), 1u);
}

} // namespace
