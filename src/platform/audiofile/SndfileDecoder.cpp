#include "platform/audiofile/SndfileDecoder.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

namespace {

// Frames per step while decoding up to a seek target.
constexpr std::size_t kDiscardFrames = 4096;

std::string formatInfoName(int format) {
    SF_FORMAT_INFO info{};
    info.format = format;
    if (sf_command(nullptr, SFC_GET_FORMAT_INFO, &info, sizeof info) != 0 || !info.name) {
        return {};
    }
    return info.name;
}

std::string formatName(int format) {
    std::string name = formatInfoName(format & SF_FORMAT_TYPEMASK);
    const std::string subtype = formatInfoName(format & SF_FORMAT_SUBMASK);
    if (!subtype.empty()) {
        name += name.empty() ? subtype : ", " + subtype;
    }
    return name;
}

// libsndfile lands on the right frame, but the decoder state there is cold:
// Vorbis's overlapping windows and MP3's bit reservoir and overlapping
// transforms need the frames before it, or the first ~1000 frames differ
// from a straight decode. Two MP3 frames (2 x 1152), more than one long
// Vorbis block, and Opus's own 80 ms pre-roll cover it.
sf_count_t seekPrerollFor(int format) {
    if ((format & SF_FORMAT_TYPEMASK) == SF_FORMAT_MPEG) {
        return 2 * 1152;
    }
    switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_VORBIS:
        return 4096;
    case SF_FORMAT_OPUS:
        return 3840;
    default:
        return 0;
    }
}

} // namespace

std::unique_ptr<SndfileDecoder> SndfileDecoder::open(FileDescriptor& fd, AudioFileError& error) {
    // libsndfile closes the descriptor it is given when it refuses the file,
    // even when told not to, so it gets a copy of its own to close.
    const int copy = ::fcntl(fd.get(), F_DUPFD_CLOEXEC, 0);
    if (copy < 0) {
        const int code = errno;
        const bool full = code == EMFILE || code == ENFILE;
        error = {full ? AudioFileErrorKind::TooManyOpenFiles : AudioFileErrorKind::Unreadable, code,
                 std::strerror(code)};
        return nullptr;
    }
    SF_INFO info{};
    SNDFILE* file = sf_open_fd(copy, SFM_READ, &info, SF_TRUE);
    if (!file) {
        const int code = sf_error(nullptr);
        error = {AudioFileErrorKind::Unreadable, code, sf_error_number(code)};
        ::lseek(fd.get(), 0, SEEK_SET);
        return nullptr;
    }
    error = {};
    fd.reset();
    return std::unique_ptr<SndfileDecoder>(new SndfileDecoder(file, info));
}

SndfileDecoder::SndfileDecoder(SNDFILE* file, const SF_INFO& info)
    : _file(file) {
    _properties.channels = static_cast<unsigned>(std::max(info.channels, 0));
    _properties.sampleRate = info.samplerate;
    _properties.lengthInFrames = std::max<sf_count_t>(info.frames, 0);
    // An MP3 without a Xing or Info header only has mpg123's estimate.
    _properties.lengthIsExact = (info.format & SF_FORMAT_TYPEMASK) != SF_FORMAT_MPEG;
    _properties.formatName = formatName(info.format);
    _seekPreroll = seekPrerollFor(info.format);
    if (_seekPreroll > 0 && _properties.channels > 0) {
        _discard.resize(kDiscardFrames * _properties.channels);
    }
}

SndfileDecoder::~SndfileDecoder() {
    sf_close(_file);
}

DecoderRead SndfileDecoder::read(float* interleaved, std::size_t frames) {
    const sf_count_t got = sf_readf_float(_file, interleaved, static_cast<sf_count_t>(frames));
    if (got < static_cast<sf_count_t>(frames) && sf_error(_file) != SF_ERR_NO_ERROR) {
        return {0, true};
    }
    return {static_cast<std::size_t>(std::max<sf_count_t>(got, 0)), false};
}

bool SndfileDecoder::seek(std::int64_t frame) {
    if (frame < 0) {
        return false;
    }
    const sf_count_t start = std::max<sf_count_t>(frame - _seekPreroll, 0);
    if (sf_seek(_file, start, SEEK_SET) < 0) {
        return false;
    }
    sf_count_t toDiscard = frame - start;
    while (toDiscard > 0) {
        const sf_count_t step = std::min<sf_count_t>(toDiscard, kDiscardFrames);
        const sf_count_t got = sf_readf_float(_file, _discard.data(), step);
        if (got <= 0) {
            return false;
        }
        toDiscard -= got;
    }
    return true;
}
