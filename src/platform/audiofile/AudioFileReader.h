#pragma once

#include "platform/audiofile/AudioDecoder.h"
#include "platform/audiofile/AudioFileError.h"
#include "platform/audiofile/SampleRateConverter.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// One audio file delivered as deinterleaved float at the client's sample
// rate: a decoder (libsndfile or FFmpeg) and, when the rates differ, a
// libsoxr converter. The owner's thread opens it, sets the client rate and
// seeks it, then hands it to one worker thread that reads and seeks. The
// steady run of reads allocates nothing; a seek does (libsoxr rebuilds its
// filter over the next few blocks), as do the flush at the end and FFmpeg's
// packets. Nothing here may run on the render thread.
class AudioFileReader {
public:
    struct OpenResult {
        std::unique_ptr<AudioFileReader> reader; // null exactly when error is set
        AudioFileError error;
    };

    // Owner's thread. The client rate starts as the file's own.
    static OpenResult open(const std::string& path);
    // Owner's thread: wraps a decoder that is already open, after the same
    // limits check; path names the file in the log.
    static OpenResult open(std::unique_ptr<AudioDecoder> decoder, std::string path);
    ~AudioFileReader();
    AudioFileReader(const AudioFileReader&) = delete;
    AudioFileReader& operator=(const AudioFileReader&) = delete;

    const std::string& path() const { return _path; }
    const AudioFileProperties& fileProperties() const { return _decoder->properties(); }

    // Owner's thread; allocates. Sets the rate frames are delivered at and
    // goes back to the file's start. False (nothing changed) for a rate out
    // of the file limits or one libsoxr refuses.
    bool setClientSampleRate(double rate);
    double clientSampleRate() const { return _clientRate; }
    // The file's length converted to the client rate (an estimate when the
    // file's own length is one).
    std::int64_t lengthInClientFrames() const;

    // Worker thread. Writes up to frames frames, one pointer per file
    // channel, from the start of each; returns the frames written, 0 at the
    // end. A file that fails mid-way plays silence up to its length, with one
    // warning in the log.
    std::size_t read(float* const* channels, std::size_t frames);
    // Worker or owner thread. Positions the next read at a client frame.
    // False when the file refused; reads then return 0 until the next seek.
    bool seek(std::int64_t clientFrame);
    // No more frames will come before the next seek.
    bool isFinished() const { return _state == State::Finished; }
    // A read since the last seek found the file failing: what it delivers
    // from there on is silence standing in for the file.
    bool readFailed() const { return _state == State::Silence; }

private:
    enum class State { Decoding, Flushing, Silence, Finished };

    AudioFileReader(std::unique_ptr<AudioDecoder> decoder, std::string path);

    std::size_t produce(float* const* channels, std::size_t frames);
    std::size_t produceDecoded(float* const* channels, std::size_t frames);
    void failReading();

    std::unique_ptr<AudioDecoder> _decoder;
    std::string _path;
    unsigned _channels;
    double _clientRate;
    std::unique_ptr<SampleRateConverter> _converter; // null when the rates match
    // Decoded file frames, interleaved, not yet taken by the converter.
    std::vector<float> _decoded;
    std::size_t _decodedOffset = 0;
    std::size_t _decodedFrames = 0;
    // Where output before a seek target goes, one block per channel.
    std::vector<float> _discard;
    std::array<float*, kMaxAudioFileChannels> _discardChannels{};
    std::int64_t _discardFrames = 0;
    // File frames the decoder has delivered since the file's start.
    std::int64_t _decoderPosition = 0;
    // Client frame of the next frame produced.
    std::int64_t _position = 0;
    State _state = State::Decoding;
    bool _warned = false;
};
