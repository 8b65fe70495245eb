#pragma once

#include "platform/audiofile/AudioDecoder.h"
#include "platform/audiofile/AudioFileError.h"

#include <memory>
#include <string>

struct DecoderOpenResult {
    std::unique_ptr<AudioDecoder> decoder; // null exactly when error is set
    AudioFileError error;
};

// Owner's thread. Opens the file itself (so a missing file or a full
// descriptor table is told apart from a bad file), tries libsndfile, then
// FFmpeg as the last resort, and refuses files outside the limits of
// AudioDecoder.h. Logs nothing: the caller reports the error.
DecoderOpenResult openAudioDecoder(const std::string& path);

// The limits check on its own; both decoders' properties pass through it.
AudioFileError checkAudioFileProperties(const AudioFileProperties& properties);
