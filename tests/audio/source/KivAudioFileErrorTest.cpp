#include "audio/source/KivAudioFile.h"
#include "platform/alias/KivAlias.h"
#include "platform/audiofile/AudioFixtures.h"
#include "support/CapturingLogSink.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

// Each file that cannot be played leaves an invalid reader and the message
// that says why.
namespace {

class KivAudioFileError : public ::testing::Test {
protected:
    std::string wav(const std::string& name, unsigned channels, std::size_t frames) {
        const std::string path = _folder.path(name);
        EXPECT_TRUE(AudioFixtures::writeSndfile(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16,
                                                AudioFixtures::signal(frames, channels, 44100),
                                                channels, 44100));
        return path;
    }

    // Opens the file and answers the lines logged; the reader must be invalid.
    std::vector<std::string> refusal(const std::shared_ptr<KivAlias>& alias) {
        CapturingLogSink log;
        KivAudioFile file(alias);
        EXPECT_FALSE(file.validFile());
        EXPECT_FALSE(file.usingQuickTime());
        EXPECT_FALSE(file.fileFormat());
        EXPECT_EQ(file.fileLengthInSeconds(), 0.0);
        float sample = 0.0f;
        float* pointers[] = {&sample};
        EXPECT_EQ(file.readFrames(1, {pointers, 1, 1}, 0), 0u);
        return log.lines();
    }

    std::vector<std::string> refusal(const std::string& path) {
        auto alias = KivAlias::aliasWithPath(path);
        EXPECT_TRUE(alias) << path;
        return alias ? refusal(alias) : std::vector<std::string>{};
    }

    // The three lines of a file that nothing decodes.
    void expectCouldNotCreate(const std::vector<std::string>& lines, const std::string& path) {
        ASSERT_EQ(lines.size(), 3u);
        EXPECT_EQ(lines[0], "Error: Could not create KivAudioFile with file: " + path);
        EXPECT_EQ(lines[1].rfind("       Code: ", 0), 0u) << lines[1];
        EXPECT_EQ(lines[2].rfind("       Description: ", 0), 0u) << lines[2];
        EXPECT_GT(lines[2].size(), std::strlen("       Description: "));
    }

    AudioFixtures::TempFolder _folder;
};

TEST_F(KivAudioFileError, AFileGoneSinceItsAliasWasMadeIsNotFound) {
    const std::string path = wav("gone.wav", 2, 1000);
    auto alias = KivAlias::aliasWithPath(path);
    ASSERT_TRUE(alias);
    ASSERT_EQ(::unlink(path.c_str()), 0);
    const auto lines = refusal(alias);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "Error: Could not find file " + path);
}

TEST_F(KivAudioFileError, AFullDescriptorTableIsTooManyFilesOpen) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    // Opening the file takes virtual calls, whose sanitizer checks need
    // descriptors of their own.
    GTEST_SKIP() << "no sanitizer checks with a full descriptor table";
#endif
    const std::string path = wav("a.wav", 2, 1000);
    auto alias = KivAlias::aliasWithPath(path);
    ASSERT_TRUE(alias);
    ASSERT_FALSE(alias->fullPath().empty());
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit low = saved;
    low.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
    std::vector<int> held;
    for (int fd; (fd = ::open("/dev/null", O_RDONLY)) >= 0;) {
        held.push_back(fd);
    }
    std::vector<std::string> lines;
    bool valid = true;
    {
        CapturingLogSink log;
        KivAudioFile file(alias);
        valid = file.validFile();
        lines = log.lines();
    }
    for (int fd : held) {
        ::close(fd);
    }
    setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_FALSE(valid);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "Error: Too many files open when opening " + path);
    EXPECT_TRUE(KivAudioFile(alias).validFile());
}

TEST_F(KivAudioFileError, WhatNothingDecodesCouldNotBeCreated) {
    AudioFixtures::writeBytes(_folder.path("notes.txt"), "Act one, scene two: the storm.\n");
    expectCouldNotCreate(refusal(_folder.path("notes.txt")), _folder.path("notes.txt"));
    const std::string cut = wav("cut.wav", 2, 1000);
    AudioFixtures::writeBytes(cut, AudioFixtures::readBytes(cut).substr(0, 30));
    expectCouldNotCreate(refusal(cut), cut);
    const std::string folder = _folder.path("takes");
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    expectCouldNotCreate(refusal(folder), folder);
}

TEST_F(KivAudioFileError, AnEmptyFileOrOneWithoutFramesCouldNotBeCreated) {
    AudioFixtures::writeBytes(_folder.path("empty.wav"), "");
    expectCouldNotCreate(refusal(_folder.path("empty.wav")), _folder.path("empty.wav"));
    const std::string none = wav("none.wav", 2, 0);
    expectCouldNotCreate(refusal(none), none);
}

TEST_F(KivAudioFileError, AContainerWithoutSoundHasNoAudio) {
    const std::string path = _folder.path("subtitles.mkv");
    ASSERT_TRUE(AudioFixtures::writeMatroskaWithoutAudio(path));
    const auto lines = refusal(path);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "Error: Couldn't find any audio in the file: " + path);
}

TEST_F(KivAudioFileError, MoreThanFortyEightChannelsCouldNotBeCreated) {
    const std::string many = wav("49.wav", 49, 300);
    const auto lines = refusal(many);
    expectCouldNotCreate(lines, many);
    EXPECT_EQ(lines[1], "       Code: 49");
    EXPECT_TRUE(KivAudioFile(KivAlias::aliasWithPath(wav("48.wav", 48, 300))).validFile());
}

TEST_F(KivAudioFileError, AnAbsurdSampleRateCouldNotBeCreated) {
    const std::string path = wav("slow.wav", 1, 1000);
    std::string bytes = AudioFixtures::readBytes(path);
    const std::uint32_t rate = 3;
    const std::uint32_t byteRate = rate * 2;
    std::memcpy(bytes.data() + 24, &rate, 4);
    std::memcpy(bytes.data() + 28, &byteRate, 4);
    AudioFixtures::writeBytes(path, bytes);
    expectCouldNotCreate(refusal(path), path);
}

TEST_F(KivAudioFileError, ReopeningWithAnotherAliasForgetsTheOldFile) {
    KivAudioFile file(KivAlias::aliasWithPath(wav("a.wav", 2, 44100)));
    ASSERT_TRUE(file.validFile());
    EXPECT_EQ(file.fileLengthInSeconds(), 1.0);
    AudioFixtures::writeBytes(_folder.path("bad.wav"), "not a sound");
    CapturingLogSink log;
    file.setAlias(KivAlias::aliasWithPath(_folder.path("bad.wav")));
    EXPECT_FALSE(file.validFile());
    EXPECT_EQ(file.fileLengthInSeconds(), 0.0);
    EXPECT_EQ(file.fileChannels(), 0u);
    file.setAlias(nullptr);
    EXPECT_FALSE(file.validFile());
    EXPECT_EQ(log.lines().size(), 3u);
}

} // namespace
