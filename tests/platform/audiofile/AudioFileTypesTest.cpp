#include "platform/audiofile/AudioFileTypes.h"

#include "platform/audiofile/AudioFixtures.h"
#include "platform/audiofile/OpenAudioDecoder.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <set>

namespace {

bool listed(const std::vector<std::string>& extensions, const std::string& extension) {
    return std::find(extensions.begin(), extensions.end(), extension) != extensions.end();
}

TEST(AudioFileTypesTest, EachFileWrittenUnderItsUsualNameIsListedAndOpens) {
    const std::vector<std::string> extensions = readableAudioFileExtensions();
    AudioFixtures::TempFolder files;
    const std::vector<float> samples = AudioFixtures::signal(4800, 2, 48000);
    const std::pair<const char*, int> sndfileFormats[] = {
        {"wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16},
        {"aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16},
        {"aif", SF_FORMAT_AIFF | SF_FORMAT_PCM_24},
        {"flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
        {"ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS},
        {"opus", SF_FORMAT_OGG | SF_FORMAT_OPUS},
        {"caf", SF_FORMAT_CAF | SF_FORMAT_FLOAT},
        {"w64", SF_FORMAT_W64 | SF_FORMAT_PCM_16},
        {"mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III},
    };
    std::vector<std::string> written;
    for (const auto& [extension, format] : sndfileFormats) {
        const std::string path = files.path(std::string("tone.") + extension);
        ASSERT_TRUE(AudioFixtures::writeSndfile(path, format, samples, 2, 48000)) << extension;
        written.push_back(path);
    }
    ASSERT_TRUE(AudioFixtures::writeM4a(files.path("tone.m4a"), samples, 2, 48000));
    written.push_back(files.path("tone.m4a"));

    for (const std::string& path : written) {
        const std::string extension = path.substr(path.rfind('.') + 1);
        EXPECT_TRUE(listed(extensions, extension)) << extension;
        EXPECT_TRUE(openAudioDecoder(path).decoder) << path;
    }
}

TEST(AudioFileTypesTest, TheListHoldsEachLowerCaseNameOnceAndNoHeaderlessData) {
    const std::vector<std::string> extensions = readableAudioFileExtensions();
    EXPECT_EQ(std::set<std::string>(extensions.begin(), extensions.end()).size(),
              extensions.size());
    for (const std::string& extension : extensions) {
        EXPECT_FALSE(extension.empty());
        EXPECT_TRUE(std::none_of(extension.begin(), extension.end(), [](char c) {
            return c >= 'A' && c <= 'Z';
        })) << extension;
    }
    EXPECT_FALSE(listed(extensions, "raw"));
    // Movies give their sound through FFmpeg.
    EXPECT_TRUE(listed(extensions, "mov"));
    EXPECT_TRUE(listed(extensions, "mp4"));
}

} // namespace
