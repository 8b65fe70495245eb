#include "audio/source/KivAudioFile.h"

#include "audio/core/KivAudioBufferList.h"
#include "foundation/KivLog.h"
#include "platform/alias/KivAlias.h"
#include "platform/audiofile/AudioFileReader.h"
#include "platform/audiofile/FfmpegDecoder.h"
#include "platform/audiofile/OpenAudioDecoder.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace {

void logOpenError(const AudioFileError& error, const std::string& name) {
    switch (error.kind) {
    case AudioFileErrorKind::FileNotFound:
        logFormat("Error: Could not find file %s", name.c_str());
        return;
    case AudioFileErrorKind::TooManyOpenFiles:
        logFormat("Error: Too many files open when opening %s", name.c_str());
        return;
    case AudioFileErrorKind::NoAudioStream:
        logFormat("Error: Couldn't find any audio in the file: %s", name.c_str());
        return;
    default:
        logFormat("Error: Could not create KivAudioFile with file: %s", name.c_str());
        logFormat("       Code: %i", error.code);
        logFormat("       Description: %s", error.description.c_str());
        return;
    }
}

} // namespace

KivAudioFile::KivAudioFile(std::shared_ptr<KivAlias> alias) {
    setAlias(std::move(alias));
}

KivAudioFile::~KivAudioFile() = default;

void KivAudioFile::setAlias(std::shared_ptr<KivAlias> alias) {
    _alias = std::move(alias);
    openFile();
}

std::string KivAudioFile::description() const {
    if (!_alias) {
        return {};
    }
    std::string path = _alias->description();
    if (path.empty()) {
        path = _alias->lastKnownFullPath();
    }
    if (path.empty()) {
        const auto record = _alias->record();
        path = record ? record->path : std::string();
    }
    return path;
}

void KivAudioFile::openFile() {
    closeFile();
    if (!_alias) {
        return;
    }
    const std::string path = _alias->fullPath();
    if (path.empty()) {
        logOpenError({AudioFileErrorKind::FileNotFound, 0, {}}, description());
        return;
    }
    DecoderOpenResult decoder = openAudioDecoder(path);
    if (!decoder.decoder) {
        logOpenError(decoder.error, path);
        return;
    }
    const bool fallback = dynamic_cast<FfmpegDecoder*>(decoder.decoder.get()) != nullptr;
    AudioFileReader::OpenResult opened = AudioFileReader::open(std::move(decoder.decoder), path);
    if (!opened.reader) {
        logOpenError(opened.error, path);
        return;
    }
    _reader = std::move(opened.reader);
    _usingFallbackReader = fallback;
    const AudioFileProperties& file = _reader->fileProperties();
    _fileFormat = KivAudioStreamDescription(file.sampleRate, file.channels);
    _fileLengthInSeconds = static_cast<double>(file.lengthInFrames) / file.sampleRate;
}

void KivAudioFile::closeFile() {
    _reader.reset();
    _usingFallbackReader = false;
    _fileFormat.reset();
    _fileLengthInSeconds = 0.0;
    _atEndOfFile = false;
}

std::int64_t KivAudioFile::lengthInFramesAtRate(double rate) const {
    if (!_reader) {
        return 0;
    }
    const AudioFileProperties& file = _reader->fileProperties();
    // As the reader counts its converted length.
    if (rate == file.sampleRate) {
        return file.lengthInFrames;
    }
    return std::llround(static_cast<double>(file.lengthInFrames) * rate / file.sampleRate);
}

bool KivAudioFile::setReadFormat(const KivAudioStreamDescription& format) {
    if (!_reader) {
        return false;
    }
    if (format.channels() != fileChannels()) {
        logFormat("Error: KivAudioFile read format has %u channels, the file %u: %s",
                  format.channels(), fileChannels(), description().c_str());
        return false;
    }
    if (!_reader->setClientSampleRate(format.sampleRate())) {
        logFormat("Error: KivAudioFile could not read at %f Hz: %s", format.sampleRate(),
                  description().c_str());
        return false;
    }
    _atEndOfFile = false;
    return true;
}

void KivAudioFile::goToFrame(std::int64_t frame) {
    if (_reader) {
        const double scale = _reader->clientSampleRate() / _reader->fileProperties().sampleRate;
        const auto clientFrame = std::llround(static_cast<double>(frame) * scale);
        if (!_reader->seek(clientFrame)) {
            logFormat("Error: KivAudioFile could not go to frame %lld: %s",
                      static_cast<long long>(frame), description().c_str());
        }
    }
    _atEndOfFile = false;
}

namespace {

constexpr std::size_t kProbeFrames = 256;

} // namespace

bool KivAudioFile::readsAt(std::int64_t clientFrame) {
    if (!_reader->seek(clientFrame)) {
        return false;
    }
    std::vector<float> samples(kProbeFrames * fileChannels());
    std::array<float*, kMaxAudioFileChannels> at{};
    for (std::uint32_t c = 0; c < fileChannels(); ++c) {
        at[c] = samples.data() + c * kProbeFrames;
    }
    return _reader->read(at.data(), kProbeFrames) > 0 && !_reader->readFailed();
}

bool KivAudioFile::readsThrough() {
    if (!_reader) {
        return false;
    }
    bool reads = readsAt(0);
    // The fallback reader's length is an estimate, which may lie past the end.
    const std::int64_t length = lengthInFramesAtRate(_reader->clientSampleRate());
    if (reads && !_usingFallbackReader && length > static_cast<std::int64_t>(4 * kProbeFrames)) {
        reads = readsAt(length - static_cast<std::int64_t>(2 * kProbeFrames));
    }
    goToFrame(0);
    return reads;
}

std::uint32_t KivAudioFile::readFrames(std::uint32_t frames, const AudioChannels& destination,
                                       std::uint32_t offset) {
    if (destination.channels == nullptr || offset >= destination.frameCount) {
        return 0;
    }
    const std::uint32_t n = std::min(frames, destination.frameCount - offset);
    std::uint32_t read = 0;
    if (!_atEndOfFile && _reader && destination.channelCount == fileChannels() && n > 0) {
        std::array<float*, kMaxAudioFileChannels> at{};
        for (std::uint32_t c = 0; c < destination.channelCount; ++c) {
            at[c] = destination.channels[c] + offset;
        }
        read = static_cast<std::uint32_t>(_reader->read(at.data(), n));
        if (read == 0) {
            _atEndOfFile = true;
        }
    }
    KivSilenceAudioBufferList(destination, offset + read, n - read);
    return read;
}

std::optional<KivAudioStreamDescription>
KivAudioFile::fileFormatForAlias(const std::shared_ptr<KivAlias>& alias) {
    if (!alias || alias->fullPath().empty()) {
        return std::nullopt;
    }
    return KivAudioFile(alias).fileFormat();
}

double KivAudioFile::fileLengthInSecondsForAlias(const std::shared_ptr<KivAlias>& alias) {
    if (!alias || alias->fullPath().empty()) {
        return 0.0;
    }
    return KivAudioFile(alias).fileLengthInSeconds();
}
