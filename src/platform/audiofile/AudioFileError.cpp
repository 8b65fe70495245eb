#include "platform/audiofile/AudioFileError.h"

const char* audioFileErrorKindName(AudioFileErrorKind kind) {
    switch (kind) {
    case AudioFileErrorKind::None:
        return "none";
    case AudioFileErrorKind::FileNotFound:
        return "file not found";
    case AudioFileErrorKind::TooManyOpenFiles:
        return "too many open files";
    case AudioFileErrorKind::Unreadable:
        return "unreadable";
    case AudioFileErrorKind::NoAudioStream:
        return "no audio stream";
    case AudioFileErrorKind::TooManyChannels:
        return "too many channels";
    case AudioFileErrorKind::BadSampleRate:
        return "bad sample rate";
    case AudioFileErrorKind::ZeroLength:
        return "zero length";
    }
    return "unknown";
}
