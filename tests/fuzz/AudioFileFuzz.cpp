// Feeds arbitrary bytes to the audio file readers (libsndfile, then FFmpeg)
// as a file: each must be refused with a reason or read, converted and
// sought to an end without crashing, hanging, leaking or tripping the
// sanitizers.
#include "platform/audiofile/AudioFileReader.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

// libsndfile 1.2.0 leaks its Vorbis header state when it refuses a damaged
// Ogg file; that is the library's, not ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:vorbis_info_init\n";
}

namespace {

// A file that claims hours of frames plays silence to its claimed length;
// a few seconds of it show the same paths.
constexpr std::size_t kMaxFrames = 3 * 48000;
constexpr std::size_t kBlock = 4096;

std::size_t readSome(AudioFileReader& reader, std::vector<float*>& channels, std::size_t limit) {
    std::size_t total = 0;
    while (total < limit) {
        const std::size_t got = reader.read(channels.data(), std::min(kBlock, limit - total));
        if (got == 0) {
            break;
        }
        total += got;
    }
    return total;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const int fd = memfd_create("audio-file-fuzz", MFD_CLOEXEC);
    if (fd < 0) {
        std::abort();
    }
    for (std::size_t written = 0; written < size;) {
        const ssize_t n = write(fd, data + written, size - written);
        if (n <= 0) {
            std::abort();
        }
        written += static_cast<std::size_t>(n);
    }
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
    AudioFileReader::OpenResult opened = AudioFileReader::open(path);
    if (opened.reader) {
        AudioFileReader& reader = *opened.reader;
        const unsigned channels = reader.fileProperties().channels;
        std::vector<float> storage(std::size_t(channels) * kBlock);
        std::vector<float*> pointers(channels);
        for (unsigned c = 0; c < channels; ++c) {
            pointers[c] = storage.data() + std::size_t(c) * kBlock;
        }
        // The file's own rate, then a conversion, with a seek into the middle.
        readSome(reader, pointers, kMaxFrames);
        if (reader.setClientSampleRate(48000.0)) {
            readSome(reader, pointers, kBlock);
            const std::int64_t length = reader.lengthInClientFrames();
            reader.seek(std::min<std::int64_t>(length / 2, kMaxFrames));
            readSome(reader, pointers, kMaxFrames);
        }
    } else if (opened.error.kind == AudioFileErrorKind::None) {
        std::abort();
    }
    close(fd);
    return 0;
}
