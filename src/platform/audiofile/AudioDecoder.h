#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// What a decoder learned about its file when it opened it.
struct AudioFileProperties {
    unsigned channels = 0;
    double sampleRate = 0.0;
    std::int64_t lengthInFrames = 0;
    // libsndfile knows the exact length; FFmpeg's is an estimate, so a
    // decoder may end a little before or after it.
    bool lengthIsExact = true;
    // "FLAC (Free Lossless Audio Codec), Signed 16 bit PCM" and the like.
    std::string formatName;
};

// The limits a file must meet to be opened at all.
inline constexpr unsigned kMaxAudioFileChannels = 48;
inline constexpr double kMinAudioFileSampleRate = 1000.0;
inline constexpr double kMaxAudioFileSampleRate = 768000.0;

struct DecoderRead {
    std::size_t frames = 0;
    // The data could not be decoded; frames is then 0, whatever was filled.
    bool failed = false;
};

// One open audio file decoded to interleaved float in the file's own rate and
// channel count. Made on the owner's thread, then used by one thread at a time
// (the read-ahead worker). libsndfile's reads allocate nothing; FFmpeg's
// demuxer allocates a buffer per compressed packet.
class AudioDecoder {
public:
    virtual ~AudioDecoder() = default;

    virtual const AudioFileProperties& properties() const = 0;

    // Up to frames frames into interleaved (frames x channels floats).
    // 0 frames without failure is the end of the data.
    virtual DecoderRead read(float* interleaved, std::size_t frames) = 0;

    // Positions the next read at frame; decoding after a seek gives the same
    // samples as a straight decode from the start. False when the file
    // refused the seek.
    virtual bool seek(std::int64_t frame) = 0;
};
