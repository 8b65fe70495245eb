#pragma once

#include <string>

// Why an audio file could not be opened. The file reader of the engine turns
// each kind into its own message.
enum class AudioFileErrorKind {
    None,
    FileNotFound,
    TooManyOpenFiles,
    // Permissions, a directory, a corrupt or unknown file: nothing decodes it.
    Unreadable,
    // A container that decodes but holds no audio stream.
    NoAudioStream,
    TooManyChannels,
    BadSampleRate,
    ZeroLength,
};

struct AudioFileError {
    AudioFileErrorKind kind = AudioFileErrorKind::None;
    // errno, a libsndfile error number or an FFmpeg AVERROR; 0 when none applies.
    int code = 0;
    // A plain sentence for the log.
    std::string description;

    explicit operator bool() const { return kind != AudioFileErrorKind::None; }
};
