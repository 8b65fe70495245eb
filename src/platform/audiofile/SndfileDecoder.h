#pragma once

#include "platform/audiofile/AudioDecoder.h"
#include "platform/audiofile/AudioFileError.h"
#include "platform/audiofile/FileDescriptor.h"

#include <sndfile.h>

#include <memory>
#include <vector>

// The primary decoder: WAV, AIFF, CAF, FLAC, Ogg Vorbis/Opus, MP3 and the rest
// of what libsndfile reads.
class SndfileDecoder final : public AudioDecoder {
public:
    // Closes fd on success (libsndfile keeps a copy); on failure fd stays
    // open and rewound for the next decoder, and error says why.
    static std::unique_ptr<SndfileDecoder> open(FileDescriptor& fd, AudioFileError& error);
    ~SndfileDecoder() override;

    const AudioFileProperties& properties() const override { return _properties; }
    DecoderRead read(float* interleaved, std::size_t frames) override;
    bool seek(std::int64_t frame) override;

private:
    SndfileDecoder(SNDFILE* file, const SF_INFO& info);

    SNDFILE* _file;
    AudioFileProperties _properties;
    // Frames decoded and thrown away before a seek target, for codecs whose
    // decoder state needs the frames before it (MP3, Vorbis, Opus).
    sf_count_t _seekPreroll = 0;
    std::vector<float> _discard;
};
