#include "platform/audiofile/FfmpegDecoder.h"

#include "platform/audiofile/FfmpegLog.h"
#include "platform/audiofile/FfmpegSamples.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/error.h>
}

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

namespace {

constexpr int kIoBufferSize = 32768;
// A few corrupt packets are skipped as FFmpeg players do; a run this long
// means the rest of the file is not audio any more.
constexpr int kMaxConsecutiveDecodeErrors = 32;
// Decoded and dropped before a seek target: AAC's overlapping transform
// needs the frame before, HE-AAC's spectral band replication a few more.
constexpr std::int64_t kSeekPreroll = 8192;

std::string sampleFormatName(AVSampleFormat format) {
    const char* name = av_get_sample_fmt_name(format);
    return name ? name : "none";
}

std::string errorText(int error) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(error, text, sizeof text);
    return text;
}

int readFd(void* opaque, std::uint8_t* buffer, int size) {
    const int fd = *static_cast<int*>(opaque);
    for (;;) {
        const ssize_t got = ::read(fd, buffer, static_cast<std::size_t>(size));
        if (got > 0) {
            return static_cast<int>(got);
        }
        if (got == 0) {
            return AVERROR_EOF;
        }
        if (errno != EINTR) {
            return AVERROR(errno);
        }
    }
}

std::int64_t seekFd(void* opaque, std::int64_t offset, int whence) {
    const int fd = *static_cast<int*>(opaque);
    if (whence & AVSEEK_SIZE) {
        struct stat status {};
        return ::fstat(fd, &status) == 0 ? status.st_size : AVERROR(errno);
    }
    const off_t at = ::lseek(fd, offset, whence & ~AVSEEK_FORCE);
    return at < 0 ? AVERROR(errno) : at;
}

} // namespace

std::unique_ptr<FfmpegDecoder> FfmpegDecoder::open(FileDescriptor& fd, AudioFileError& error) {
    routeFfmpegLogToKivLog();
    ::lseek(fd.get(), 0, SEEK_SET);
    std::unique_ptr<FfmpegDecoder> decoder(new FfmpegDecoder(fd.get()));
    error = decoder->openStreams();
    if (error) {
        return nullptr;
    }
    decoder->_ownedFd = std::move(fd);
    return decoder;
}

FfmpegDecoder::FfmpegDecoder(int fd)
    : _fd(fd) {}

FfmpegDecoder::~FfmpegDecoder() {
    av_frame_free(&_frame);
    av_packet_free(&_packet);
    avcodec_free_context(&_codec);
    avformat_close_input(&_format);
    if (_io) {
        av_freep(&_io->buffer);
        avio_context_free(&_io);
    }
}

AudioFileError FfmpegDecoder::openStreams() {
    auto* buffer = static_cast<unsigned char*>(av_malloc(kIoBufferSize));
    _io = buffer ? avio_alloc_context(buffer, kIoBufferSize, 0, &_fd, readFd, nullptr, seekFd)
                 : nullptr;
    _format = avformat_alloc_context();
    _packet = av_packet_alloc();
    _frame = av_frame_alloc();
    if (!_io) {
        av_free(buffer);
    }
    if (!_io || !_format || !_packet || !_frame) {
        return {AudioFileErrorKind::Unreadable, AVERROR(ENOMEM), "Out of memory"};
    }
    _format->pb = _io;
    _format->flags |= AVFMT_FLAG_CUSTOM_IO;
    int status = avformat_open_input(&_format, nullptr, nullptr, nullptr);
    if (status < 0) {
        // avformat_open_input frees the context on failure.
        return {AudioFileErrorKind::Unreadable, status, "FFmpeg: " + errorText(status)};
    }
    // A guess this weak is how FFmpeg takes random bytes for some raw stream.
    if (_format->probe_score <= AVPROBE_SCORE_RETRY) {
        return {AudioFileErrorKind::Unreadable, AVERROR_INVALIDDATA,
                "FFmpeg could not tell what kind of file this is"};
    }
    if (std::strcmp(_format->iformat->name, "mp3") == 0) {
        return {AudioFileErrorKind::Unreadable, AVERROR_INVALIDDATA,
                "MP3 data that libsndfile could not read"};
    }
    status = avformat_find_stream_info(_format, nullptr);
    if (status < 0) {
        return {AudioFileErrorKind::Unreadable, status, "FFmpeg: " + errorText(status)};
    }
    const AVCodec* codec = nullptr;
    _streamIndex = av_find_best_stream(_format, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (_streamIndex == AVERROR_STREAM_NOT_FOUND) {
        return {AudioFileErrorKind::NoAudioStream, _streamIndex, "The file has no audio stream"};
    }
    if (_streamIndex < 0 || !codec) {
        const int code = _streamIndex < 0 ? _streamIndex : AVERROR_DECODER_NOT_FOUND;
        return {AudioFileErrorKind::Unreadable, code, "FFmpeg: " + errorText(code)};
    }
    AVStream* stream = _format->streams[_streamIndex];
    for (unsigned i = 0; i < _format->nb_streams; ++i) {
        if (static_cast<int>(i) != _streamIndex) {
            _format->streams[i]->discard = AVDISCARD_ALL;
        }
    }
    _codec = avcodec_alloc_context3(codec);
    if (!_codec) {
        return {AudioFileErrorKind::Unreadable, AVERROR(ENOMEM), "Out of memory"};
    }
    status = avcodec_parameters_to_context(_codec, stream->codecpar);
    if (status >= 0) {
        _codec->thread_count = 1;
        _codec->pkt_timebase = stream->time_base;
        status = avcodec_open2(_codec, codec, nullptr);
    }
    if (status < 0) {
        return {AudioFileErrorKind::Unreadable, status, "FFmpeg: " + errorText(status)};
    }
    if (!isConvertibleSampleFormat(_codec->sample_fmt)) {
        return {AudioFileErrorKind::Unreadable, AVERROR_PATCHWELCOME,
                std::string("Unsupported sample format ") + sampleFormatName(_codec->sample_fmt)};
    }

    const int rate = _codec->sample_rate;
    _properties.channels = static_cast<unsigned>(std::max(_codec->ch_layout.nb_channels, 0));
    _properties.sampleRate = rate;
    _properties.lengthIsExact = false;
    if (rate > 0) {
        const AVRational samples{1, rate};
        if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0) {
            _properties.lengthInFrames = av_rescale_q(stream->duration, stream->time_base, samples);
        } else if (_format->duration != AV_NOPTS_VALUE && _format->duration > 0) {
            _properties.lengthInFrames = av_rescale_q(_format->duration, AV_TIME_BASE_Q, samples);
        }
        if (stream->start_time != AV_NOPTS_VALUE && stream->start_time > 0) {
            _startOffset = av_rescale_q(stream->start_time, stream->time_base, samples);
        }
    }
    _properties.formatName =
        _format->iformat->long_name ? _format->iformat->long_name : _format->iformat->name;
    _properties.formatName += ", ";
    _properties.formatName += codec->long_name ? codec->long_name : codec->name;
    return {};
}

int FfmpegDecoder::decodeNextFrame() {
    int errors = 0;
    const AVStream* stream = _format->streams[_streamIndex];
    for (;;) {
        int status = avcodec_receive_frame(_codec, _frame);
        if (status == 0) {
            std::int64_t position = _nextPosition;
            const std::int64_t pts =
                _frame->pts != AV_NOPTS_VALUE ? _frame->pts : _frame->best_effort_timestamp;
            if (pts != AV_NOPTS_VALUE) {
                position =
                    av_rescale_q(pts, stream->time_base, AVRational{1, _codec->sample_rate}) -
                    _startOffset;
            }
            _nextPosition = position + _frame->nb_samples;
            const std::int64_t skip =
                std::clamp<std::int64_t>(_discardUntil - position, 0, _frame->nb_samples);
            if (skip == _frame->nb_samples ||
                _frame->ch_layout.nb_channels != static_cast<int>(_properties.channels)) {
                // Before the seek target, or a stream that changed its layout
                // midway (its frames cannot go into our fixed layout).
                av_frame_unref(_frame);
                continue;
            }
            _frameOffset = static_cast<int>(skip);
            return 0;
        }
        if (status == AVERROR_EOF) {
            return 1;
        }
        if (status == AVERROR_INVALIDDATA) {
            if (++errors > kMaxConsecutiveDecodeErrors) {
                return status;
            }
            continue;
        }
        if (status != AVERROR(EAGAIN)) {
            return status;
        }
        if (_draining) {
            return 1;
        }
        status = av_read_frame(_format, _packet);
        if (status == AVERROR_EOF) {
            _draining = true;
            avcodec_send_packet(_codec, nullptr);
            continue;
        }
        if (status < 0) {
            return status;
        }
        if (_packet->stream_index != _streamIndex) {
            av_packet_unref(_packet);
            continue;
        }
        status = avcodec_send_packet(_codec, _packet);
        av_packet_unref(_packet);
        if (status == AVERROR_INVALIDDATA) {
            if (++errors > kMaxConsecutiveDecodeErrors) {
                return status;
            }
        } else if (status < 0 && status != AVERROR(EAGAIN)) {
            return status;
        } else {
            errors = 0;
        }
    }
}

DecoderRead FfmpegDecoder::read(float* interleaved, std::size_t frames) {
    const int channels = static_cast<int>(_properties.channels);
    std::size_t done = 0;
    while (done < frames) {
        if (_frame->nb_samples > _frameOffset) {
            const int count = static_cast<int>(
                std::min<std::size_t>(frames - done, _frame->nb_samples - _frameOffset));
            convertFrameToFloat(*_frame, _frameOffset, count, channels,
                                interleaved + done * _properties.channels);
            _frameOffset += count;
            done += static_cast<std::size_t>(count);
            continue;
        }
        av_frame_unref(_frame);
        _frameOffset = 0;
        if (_ended) {
            break;
        }
        const int status = decodeNextFrame();
        if (status == 1) {
            _ended = true;
        } else if (status < 0) {
            // What this call decoded before the failure is not reported:
            // frames that stop short would pass for good data.
            av_frame_unref(_frame);
            _ended = true;
            return {0, true};
        }
    }
    return {done, false};
}

bool FfmpegDecoder::seek(std::int64_t frame) {
    if (frame < 0 || _properties.sampleRate <= 0) {
        return false;
    }
    // Not clamped at 0: an encoder's priming packets lie before it, and the
    // decoder needs them as much as any other pre-roll. A demuxer that
    // refuses a time before the start gets the start.
    const std::int64_t start = frame - kSeekPreroll;
    const AVStream* stream = _format->streams[_streamIndex];
    const AVRational samples{1, _codec->sample_rate};
    av_frame_unref(_frame);
    _frameOffset = 0;
    if (av_seek_frame(_format, _streamIndex,
                      av_rescale_q(start + _startOffset, samples, stream->time_base),
                      AVSEEK_FLAG_BACKWARD) < 0 &&
        (start >= 0 || av_seek_frame(_format, _streamIndex,
                                     av_rescale_q(_startOffset, samples, stream->time_base),
                                     AVSEEK_FLAG_BACKWARD) < 0)) {
        return false;
    }
    avcodec_flush_buffers(_codec);
    _draining = false;
    _ended = false;
    _nextPosition = start;
    _discardUntil = frame;
    return true;
}
