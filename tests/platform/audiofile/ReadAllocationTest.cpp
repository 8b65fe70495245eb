#include "platform/audiofile/AudioFileReader.h"
#include "platform/audiofile/AudioFixtures.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <atomic>
#include <cstddef>
#include <cstdlib>

// Every heap call in this binary goes through here, C and C++ alike, so the
// count covers libsndfile, libsoxr and FFmpeg as well as our own code.
extern "C" {
void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
void* __libc_memalign(std::size_t, std::size_t);
void __libc_free(void*);
}

namespace {
std::atomic<bool> gCounting{false};
std::atomic<long> gAllocations{0};
void count() {
    if (gCounting.load(std::memory_order_relaxed)) {
        gAllocations.fetch_add(1, std::memory_order_relaxed);
    }
}
} // namespace

extern "C" {
void* malloc(std::size_t size) {
    count();
    return __libc_malloc(size);
}
void* calloc(std::size_t n, std::size_t size) {
    count();
    return __libc_calloc(n, size);
}
void* realloc(void* p, std::size_t size) {
    count();
    return __libc_realloc(p, size);
}
void* memalign(std::size_t alignment, std::size_t size) {
    count();
    return __libc_memalign(alignment, size);
}
void* aligned_alloc(std::size_t alignment, std::size_t size) {
    count();
    return __libc_memalign(alignment, size);
}
int posix_memalign(void** out, std::size_t alignment, std::size_t size) {
    count();
    *out = __libc_memalign(alignment, size);
    return *out ? 0 : 12;
}
void free(void* p) {
    __libc_free(p);
}
}

namespace {

struct AllocationCase {
    const char* name;
    const char* file;
    int format;
};

class ReadAllocation : public ::testing::TestWithParam<AllocationCase> {};

TEST_P(ReadAllocation, ReadsAllocateNothingOnceStarted) {
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
    long allocations = 0;
    for (std::int64_t start : {0, 30000, 12345}) {
        reader.seek(start);
        for (int block = 0; block < 16; ++block) {
            delivered += reader.read(channels, 4096);
        }
        gAllocations = 0;
        gCounting = true;
        for (int block = 0; block < 40; ++block) {
            delivered += reader.read(channels, 4096);
        }
        gCounting = false;
        allocations += gAllocations.load();
    }
    EXPECT_EQ(delivered, 3u * 56u * 4096u);
    EXPECT_EQ(allocations, 0) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Formats, ReadAllocation,
    ::testing::Values(AllocationCase{"Wav", "a.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16},
                      AllocationCase{"Flac", "a.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
                      AllocationCase{"Vorbis", "a.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS},
                      AllocationCase{"Mp3", "a.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III}),
    [](const ::testing::TestParamInfo<AllocationCase>& info) {
        return std::string(info.param.name);
    });

} // namespace
