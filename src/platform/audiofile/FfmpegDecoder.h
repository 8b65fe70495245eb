#pragma once

#include "platform/audiofile/AudioDecoder.h"
#include "platform/audiofile/AudioFileError.h"
#include "platform/audiofile/FileDescriptor.h"

#include <memory>

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVIOContext;
struct AVPacket;

// The decoder of last resort: AAC/M4A, ALAC, MP4/MOV and whatever else
// FFmpeg reads, through the best audio stream of the file. Lengths are
// FFmpeg's estimates. MP3 is refused here: its length would only be a guess,
// and libsndfile reads it exactly.
class FfmpegDecoder final : public AudioDecoder {
public:
    // Takes fd only on success; the file is read through fd, never reopened
    // by name.
    static std::unique_ptr<FfmpegDecoder> open(FileDescriptor& fd, AudioFileError& error);
    ~FfmpegDecoder() override;
    FfmpegDecoder(const FfmpegDecoder&) = delete;
    FfmpegDecoder& operator=(const FfmpegDecoder&) = delete;

    const AudioFileProperties& properties() const override { return _properties; }
    DecoderRead read(float* interleaved, std::size_t frames) override;
    bool seek(std::int64_t frame) override;

private:
    explicit FfmpegDecoder(int fd);
    AudioFileError openStreams();
    // 0 with a frame in _frame ready from _frameOffset, 1 at the end of the
    // stream, an AVERROR when decoding failed.
    int decodeNextFrame();

    int _fd;
    FileDescriptor _ownedFd;
    AVIOContext* _io = nullptr;
    AVFormatContext* _format = nullptr;
    AVCodecContext* _codec = nullptr;
    AVPacket* _packet = nullptr;
    AVFrame* _frame = nullptr;
    int _streamIndex = -1;
    AudioFileProperties _properties;
    // Sample positions from the start of the stream, in the file's rate.
    std::int64_t _startOffset = 0;
    std::int64_t _nextPosition = 0;
    // Samples before this position are decoded and dropped (pre-roll).
    std::int64_t _discardUntil = 0;
    int _frameOffset = 0;
    bool _draining = false;
    bool _ended = false;
};
