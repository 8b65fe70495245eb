#include "platform/audiofile/AudioFileReader.h"
#include "platform/audiofile/AudioFixtures.h"
#include "platform/audiofile/OpenAudioDecoder.h"
#include "support/FifoOpening.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <vector>

namespace {

class OpenError : public ::testing::Test {
protected:
    AudioFileErrorKind kindOf(const std::string& path) {
        DecoderOpenResult opened = openAudioDecoder(path);
        EXPECT_EQ(opened.decoder == nullptr, static_cast<bool>(opened.error));
        if (opened.error) {
            EXPECT_FALSE(opened.error.description.empty());
        }
        return opened.error.kind;
    }

    std::string wav(const std::string& name, unsigned channels, std::size_t frames) {
        const std::string path = _folder.path(name);
        EXPECT_TRUE(AudioFixtures::writeSndfile(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16,
                                                AudioFixtures::signal(frames, channels, 44100),
                                                channels, 44100));
        return path;
    }

    // A WAV whose header claims rate (the byte rate follows it).
    std::string wavWithRate(const std::string& name, std::uint32_t rate) {
        std::string bytes = AudioFixtures::readBytes(wav(name, 1, 1000));
        const std::uint32_t byteRate = rate * 2;
        std::memcpy(bytes.data() + 24, &rate, 4);
        std::memcpy(bytes.data() + 28, &byteRate, 4);
        AudioFixtures::writeBytes(_folder.path(name), bytes);
        return _folder.path(name);
    }

    AudioFixtures::TempFolder _folder;
};

TEST_F(OpenError, MissingFileIsNotFound) {
    EXPECT_EQ(kindOf(_folder.path("missing.wav")), AudioFileErrorKind::FileNotFound);
    EXPECT_EQ(kindOf(wav("a.wav", 1, 100) + "/below"), AudioFileErrorKind::FileNotFound);
}

TEST_F(OpenError, FullDescriptorTableIsTooManyOpenFiles) {
    const std::string path = wav("a.wav", 2, 1000);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit low = saved;
    low.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
    std::vector<int> held;
    for (int fd; (fd = ::open("/dev/null", O_RDONLY)) >= 0;) {
        held.push_back(fd);
    }
    // Only plain calls while the table is full: the sanitizers' own checks
    // need a descriptor of their own.
    // No descriptor left: our own open fails.
    const AudioFileErrorKind none = openAudioDecoder(path).error.kind;
    // One left: our open succeeds and the copy for libsndfile fails.
    ::close(held.back());
    held.pop_back();
    const AudioFileErrorKind one = openAudioDecoder(path).error.kind;
    for (int fd : held) {
        ::close(fd);
    }
    setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_EQ(none, AudioFileErrorKind::TooManyOpenFiles);
    EXPECT_EQ(one, AudioFileErrorKind::TooManyOpenFiles);
    EXPECT_EQ(kindOf(path), AudioFileErrorKind::None);
}

TEST_F(OpenError, WhatNothingDecodesIsUnreadable) {
    EXPECT_EQ(kindOf(_folder.path("")), AudioFileErrorKind::Unreadable); // the folder itself
    AudioFixtures::writeBytes(_folder.path("notes.txt"),
                              "These are the show notes, not a sound.\nAct one, scene two.\n");
    EXPECT_EQ(kindOf(_folder.path("notes.txt")), AudioFileErrorKind::Unreadable);
    std::string noise(4096, '\0');
    std::uint32_t seed = 99;
    for (char& byte : noise) {
        seed = seed * 1664525u + 1013904223u;
        byte = static_cast<char>(seed >> 24);
    }
    AudioFixtures::writeBytes(_folder.path("noise.bin"), noise);
    EXPECT_EQ(kindOf(_folder.path("noise.bin")), AudioFileErrorKind::Unreadable);
}

TEST_F(OpenError, AFifoOrDeviceInPlaceOfTheFileIsRefusedAtOnce) {
    const std::string fifo = _folder.path("x.wav");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    DecoderOpenResult decoded;
    EXPECT_TRUE(returnsWithoutAWriter(fifo, [&] { decoded = openAudioDecoder(fifo); }));
    EXPECT_FALSE(decoded.decoder);
    EXPECT_EQ(decoded.error.kind, AudioFileErrorKind::Unreadable);
    AudioFileReader::OpenResult read;
    EXPECT_TRUE(returnsWithoutAWriter(fifo, [&] { read = AudioFileReader::open(fifo); }));
    EXPECT_FALSE(read.reader);
    EXPECT_EQ(read.error.kind, AudioFileErrorKind::Unreadable);
    EXPECT_EQ(kindOf("/dev/zero"), AudioFileErrorKind::Unreadable);
}

TEST_F(OpenError, MpegThatLibsndfileRefusesIsNotGuessedAtByFfmpeg) {
    const std::string path = _folder.path("late.mp3");
    ASSERT_TRUE(AudioFixtures::writeSndfile(path, SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III,
                                            AudioFixtures::signal(20 * 44100, 2, 44100), 2, 44100));
    // Leading junk hides the stream from libsndfile, not from FFmpeg's probe.
    AudioFixtures::writeBytes(path, std::string(100, 'j') + AudioFixtures::readBytes(path));
    DecoderOpenResult opened = openAudioDecoder(path);
    EXPECT_EQ(opened.error.kind, AudioFileErrorKind::Unreadable) << opened.error.description;
    EXPECT_NE(opened.error.description.find("MP3"), std::string::npos) << opened.error.description;
}

TEST_F(OpenError, FileCutInsideItsHeaderIsUnreadable) {
    const std::string path = wav("cut.wav", 2, 1000);
    AudioFixtures::writeBytes(path, AudioFixtures::readBytes(path).substr(0, 30));
    EXPECT_EQ(kindOf(path), AudioFileErrorKind::Unreadable);
}

TEST_F(OpenError, EmptyFileAndFileWithoutFramesAreZeroLength) {
    AudioFixtures::writeBytes(_folder.path("empty.wav"), "");
    EXPECT_EQ(kindOf(_folder.path("empty.wav")), AudioFileErrorKind::ZeroLength);
    EXPECT_EQ(kindOf(wav("noframes.wav", 2, 0)), AudioFileErrorKind::ZeroLength);
}

TEST_F(OpenError, ContainerWithoutSoundHasNoAudioStream) {
    const std::string path = _folder.path("subtitles.mkv");
    ASSERT_TRUE(AudioFixtures::writeMatroskaWithoutAudio(path));
    EXPECT_EQ(kindOf(path), AudioFileErrorKind::NoAudioStream);
}

TEST_F(OpenError, MoreThanFortyEightChannelsAreRefused) {
    EXPECT_EQ(kindOf(wav("48.wav", 48, 500)), AudioFileErrorKind::None);
    EXPECT_EQ(kindOf(wav("49.wav", 49, 500)), AudioFileErrorKind::TooManyChannels);
}

TEST_F(OpenError, AbsurdSampleRatesAreRefused) {
    EXPECT_EQ(kindOf(wavWithRate("slow.wav", 3)), AudioFileErrorKind::BadSampleRate);
    EXPECT_EQ(kindOf(wavWithRate("fast.wav", 5000000)), AudioFileErrorKind::BadSampleRate);
    EXPECT_EQ(kindOf(wavWithRate("fine.wav", 8000)), AudioFileErrorKind::None);
}

TEST_F(OpenError, ReaderPassesTheErrorOn) {
    AudioFileReader::OpenResult opened = AudioFileReader::open(_folder.path("missing.flac"));
    EXPECT_FALSE(opened.reader);
    EXPECT_EQ(opened.error.kind, AudioFileErrorKind::FileNotFound);
    EXPECT_EQ(opened.error.code, ENOENT);
}

TEST(AudioFileProperties, LimitsAreInclusive) {
    AudioFileProperties properties{48, 768000.0, 1, true, "x"};
    EXPECT_FALSE(checkAudioFileProperties(properties));
    properties.sampleRate = 1000.0;
    EXPECT_FALSE(checkAudioFileProperties(properties));
    properties.sampleRate = 999.0;
    EXPECT_EQ(checkAudioFileProperties(properties).kind, AudioFileErrorKind::BadSampleRate);
    properties.sampleRate = 44100.0;
    properties.channels = 0;
    EXPECT_EQ(checkAudioFileProperties(properties).kind, AudioFileErrorKind::NoAudioStream);
}

} // namespace
