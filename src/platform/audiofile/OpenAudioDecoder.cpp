#include "platform/audiofile/OpenAudioDecoder.h"

#include "platform/audiofile/FfmpegDecoder.h"
#include "platform/audiofile/FileDescriptor.h"
#include "platform/audiofile/SndfileDecoder.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstring>

namespace {

AudioFileError openError(int error) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return {AudioFileErrorKind::FileNotFound, error, std::strerror(error)};
    case EMFILE:
    case ENFILE:
        return {AudioFileErrorKind::TooManyOpenFiles, error, std::strerror(error)};
    default:
        return {AudioFileErrorKind::Unreadable, error, std::strerror(error)};
    }
}

} // namespace

AudioFileError checkAudioFileProperties(const AudioFileProperties& properties) {
    if (properties.channels == 0) {
        return {AudioFileErrorKind::NoAudioStream, 0, "The file has no audio channels"};
    }
    if (properties.channels > kMaxAudioFileChannels) {
        return {AudioFileErrorKind::TooManyChannels, static_cast<int>(properties.channels),
                "The file has " + std::to_string(properties.channels) + " channels; at most " +
                    std::to_string(kMaxAudioFileChannels) + " are supported"};
    }
    const double rate = properties.sampleRate;
    if (!std::isfinite(rate) || rate < kMinAudioFileSampleRate || rate > kMaxAudioFileSampleRate) {
        const bool fitsInCode = std::isfinite(rate) && std::fabs(rate) < 2e9;
        return {AudioFileErrorKind::BadSampleRate, fitsInCode ? static_cast<int>(rate) : 0,
                "The sample rate of " + std::to_string(rate) + " Hz is out of range"};
    }
    if (properties.lengthInFrames <= 0) {
        return {AudioFileErrorKind::ZeroLength, 0, "The file holds no audio frames"};
    }
    return {};
}

DecoderOpenResult openAudioDecoder(const std::string& path) {
    // Without O_NONBLOCK, opening a FIFO waits for a writer that may never come.
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd.valid()) {
        return {nullptr, openError(errno)};
    }
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0) {
        return {nullptr, openError(errno)};
    }
    if (S_ISDIR(status.st_mode)) {
        return {nullptr, openError(EISDIR)};
    }
    if (!S_ISREG(status.st_mode)) {
        return {nullptr, {AudioFileErrorKind::Unreadable, EINVAL, "Not a regular file"}};
    }
    const int flags = ::fcntl(fd.get(), F_GETFL);
    if (flags < 0 || ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) {
        return {nullptr, openError(errno)};
    }
    if (status.st_size == 0) {
        return {nullptr, {AudioFileErrorKind::ZeroLength, 0, "The file is empty"}};
    }

    std::unique_ptr<AudioDecoder> decoder;
    AudioFileError sndfileError;
    decoder = SndfileDecoder::open(fd, sndfileError);
    if (!decoder && sndfileError.kind == AudioFileErrorKind::TooManyOpenFiles) {
        return {nullptr, sndfileError};
    }
    if (!decoder) {
        AudioFileError ffmpegError;
        decoder = FfmpegDecoder::open(fd, ffmpegError);
        if (!decoder) {
            if (ffmpegError.kind == AudioFileErrorKind::Unreadable) {
                ffmpegError.description =
                    "libsndfile: " + sndfileError.description + "; " + ffmpegError.description;
            }
            return {nullptr, ffmpegError};
        }
    }
    AudioFileError error = checkAudioFileProperties(decoder->properties());
    if (error) {
        return {nullptr, error};
    }
    return {std::move(decoder), {}};
}
