#include "foundation/ThreadRole.h"
#include "platform/audiofile/AudioFileReader.h"
#include "platform/audiofile/AudioFixtures.h"
#include "support/RenderThreadAllocations.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cstddef>

namespace {

struct AllocationCase {
    const char* name;
    const char* file;
    int format;
};

class ReadAllocation : public ::testing::TestWithParam<AllocationCase> {};

TEST_P(ReadAllocation, ReadsAllocateNothingOnceStarted) {
    if (!renderThreadMallocIsCounted()) {
        GTEST_SKIP() << "the sanitizers own malloc";
    }
    AudioFixtures::TempFolder folder;
    const std::string path = folder.path(GetParam().file);
    const auto samples = AudioFixtures::signal(10 * 44100, 2, 44100);
    ASSERT_TRUE(GetParam().format
                    ? AudioFixtures::writeSndfile(path, GetParam().format, samples, 2, 44100)
                    : AudioFixtures::writeM4a(path, samples, 2, 44100));
    AudioFileReader::OpenResult opened = AudioFileReader::open(path);
    ASSERT_TRUE(opened.reader);
    AudioFileReader& reader = *opened.reader;
    ASSERT_TRUE(reader.setClientSampleRate(48000));
    std::vector<float> left(4096), right(4096);
    float* channels[2] = {left.data(), right.data()};
    // After a seek libsoxr builds its filter stages over the first blocks,
    // and its flush at the end of the file allocates too; the steady run of
    // reads between them must not.
    std::size_t delivered = 0;
    std::uint64_t allocations = 0;
    for (std::int64_t start : {0, 30000, 12345}) {
        reader.seek(start);
        for (int block = 0; block < 16; ++block) {
            delivered += reader.read(channels, 4096);
        }
        const auto before = renderThreadAllocations();
        {
            // Counted as the render thread counts, though a worker reads files.
            ScopedThreadRole counted(ThreadRole::Render);
            for (int block = 0; block < 40; ++block) {
                delivered += reader.read(channels, 4096);
            }
        }
        allocations += renderThreadAllocations() - before;
    }
    EXPECT_EQ(delivered, 3u * 56u * 4096u);
    EXPECT_EQ(allocations, 0u) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Formats, ReadAllocation,
    ::testing::Values(AllocationCase{"Wav", "a.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16},
                      AllocationCase{"Flac", "a.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
                      AllocationCase{"Vorbis", "a.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS},
                      AllocationCase{"Mp3", "a.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III}),
    [](const ::testing::TestParamInfo<AllocationCase>& tested) {
        return std::string(tested.param.name);
    });

} // namespace
