#include "platform/audiofile/AudioFileReader.h"

#include "foundation/KivLog.h"
#include "platform/audiofile/OpenAudioDecoder.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

// File frames decoded per step.
constexpr std::size_t kChunkFrames = 2048;
// Client frames converted and dropped before a seek target, so the
// converter's filter is full of the file's own signal when delivery starts
// (libsoxr's high-quality filter spans well under this).
constexpr std::int64_t kConverterPreroll = 2048;
// Longest stretch of input (frames) whose conversion starts on the same
// filter phase; beyond it a seek takes the nearest frame instead.
constexpr std::int64_t kMaxAlignedStep = 1 << 16;
// File frames tried for the nearest whole client time when there is none.
constexpr std::int64_t kPhaseSearch = 256;

bool isWhole(double value) {
    return std::floor(value) == value;
}

// A float file may hold NaN or infinity, and a double one values beyond
// float's range that narrow to infinity. They become silence here, before
// the converter, whose filter would spread one over hundreds of frames.
void silenceNonFinite(float* samples, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        if (!std::isfinite(samples[i])) {
            samples[i] = 0.0f;
        }
    }
}

} // namespace

AudioFileReader::OpenResult AudioFileReader::open(const std::string& path) {
    DecoderOpenResult opened = openAudioDecoder(path);
    if (!opened.decoder) {
        return {nullptr, std::move(opened.error)};
    }
    return open(std::move(opened.decoder), path);
}

AudioFileReader::OpenResult AudioFileReader::open(std::unique_ptr<AudioDecoder> decoder,
                                                  std::string path) {
    AudioFileError error = checkAudioFileProperties(decoder->properties());
    if (error) {
        return {nullptr, std::move(error)};
    }
    return {
        std::unique_ptr<AudioFileReader>(new AudioFileReader(std::move(decoder), std::move(path))),
        {}};
}

AudioFileReader::AudioFileReader(std::unique_ptr<AudioDecoder> decoder, std::string path)
    : _decoder(std::move(decoder))
    , _path(std::move(path))
    , _channels(_decoder->properties().channels)
    , _clientRate(_decoder->properties().sampleRate)
    , _decoded(kChunkFrames * _channels)
    , _discard(kChunkFrames * _channels) {
    for (unsigned c = 0; c < _channels; ++c) {
        _discardChannels[c] = _discard.data() + c * kChunkFrames;
    }
}

AudioFileReader::~AudioFileReader() = default;

bool AudioFileReader::setClientSampleRate(double rate) {
    if (!std::isfinite(rate) || rate < kMinAudioFileSampleRate || rate > kMaxAudioFileSampleRate) {
        return false;
    }
    const double fileRate = fileProperties().sampleRate;
    std::unique_ptr<SampleRateConverter> converter;
    if (rate != fileRate) {
        std::string error;
        converter = SampleRateConverter::create(_channels, fileRate, rate, error);
        if (!converter) {
            logFormat("Warning: Could not convert %s from %.0f Hz to %.0f Hz: %s", _path.c_str(),
                      fileRate, rate, error.c_str());
            return false;
        }
    }
    const bool untouched =
        _state == State::Decoding && _decoderPosition == 0 && _decodedFrames == 0 && _position == 0;
    _converter = std::move(converter);
    _clientRate = rate;
    if (!untouched) {
        seek(0);
    }
    return true;
}

std::int64_t AudioFileReader::lengthInClientFrames() const {
    const AudioFileProperties& file = fileProperties();
    if (!_converter) {
        return file.lengthInFrames;
    }
    return std::llround(static_cast<double>(file.lengthInFrames) * _clientRate / file.sampleRate);
}

bool AudioFileReader::seek(std::int64_t clientFrame) {
    if (clientFrame < 0) {
        return false;
    }
    _decodedOffset = 0;
    _decodedFrames = 0;
    _state = State::Decoding;
    const AudioFileProperties& file = fileProperties();
    if (file.lengthIsExact && clientFrame >= lengthInClientFrames()) {
        _discardFrames = 0;
        _position = clientFrame;
        _state = State::Finished;
        return true;
    }

    // Without conversion the target is a file frame. With it, start a little
    // early on a frame whose client time is whole (44.1 kHz to 48 kHz: every
    // 147 file frames are 160 client frames), so the converter's output
    // lands on the same samples as a straight run through the file.
    std::int64_t fileStart = clientFrame;
    std::int64_t clientStart = clientFrame;
    if (_converter) {
        _converter->clear();
        const std::int64_t early = std::max<std::int64_t>(clientFrame - kConverterPreroll, 0);
        const double ratio = file.sampleRate / _clientRate;
        std::int64_t fileStep = 0;
        std::int64_t clientStep = 0;
        if (isWhole(file.sampleRate) && isWhole(_clientRate)) {
            const auto fileRate = static_cast<std::int64_t>(file.sampleRate);
            const auto clientRate = static_cast<std::int64_t>(_clientRate);
            const std::int64_t common = std::gcd(fileRate, clientRate);
            fileStep = fileRate / common;
            clientStep = clientRate / common;
        }
        if (fileStep > 0 && fileStep <= kMaxAlignedStep) {
            const std::int64_t steps = early / clientStep;
            fileStart = steps * fileStep;
            clientStart = steps * clientStep;
        } else {
            // Of the file frames just before the target, the one whose
            // client time lies closest to a whole frame.
            const auto last =
                static_cast<std::int64_t>(std::floor(static_cast<double>(early) * ratio));
            double bestMiss = 1.0;
            for (std::int64_t candidate = last; candidate >= 0 && candidate > last - kPhaseSearch;
                 --candidate) {
                const double at = static_cast<double>(candidate) / ratio;
                const double miss = std::fabs(at - std::round(at));
                if (miss < bestMiss) {
                    bestMiss = miss;
                    fileStart = candidate;
                    clientStart = std::llround(at);
                }
            }
        }
    }
    _discardFrames = clientFrame - clientStart;
    _position = clientStart;
    _decoderPosition = fileStart;
    if (!_decoder->seek(fileStart)) {
        _state = State::Finished;
        return false;
    }
    return true;
}

std::size_t AudioFileReader::read(float* const* channels, std::size_t frames) {
    while (_discardFrames > 0 && _state != State::Finished) {
        const std::size_t step =
            static_cast<std::size_t>(std::min<std::int64_t>(_discardFrames, kChunkFrames));
        const std::size_t dropped = produce(_discardChannels.data(), step);
        if (dropped == 0) {
            break;
        }
        _discardFrames -= static_cast<std::int64_t>(dropped);
    }
    return produce(channels, frames);
}

std::size_t AudioFileReader::produce(float* const* channels, std::size_t frames) {
    std::array<float*, kMaxAudioFileChannels> at{};
    std::size_t written = 0;
    while (written < frames && _state != State::Finished) {
        for (unsigned c = 0; c < _channels; ++c) {
            at[c] = channels[c] + written;
        }
        const std::size_t wanted = frames - written;
        std::size_t n = 0;
        switch (_state) {
        case State::Decoding:
            n = produceDecoded(at.data(), wanted);
            break;
        case State::Flushing:
            n = _converter->flush(at.data(), wanted);
            if (n == 0) {
                _state = State::Finished;
            }
            break;
        case State::Silence: {
            const std::int64_t left = std::max<std::int64_t>(lengthInClientFrames() - _position, 0);
            n = static_cast<std::size_t>(std::min<std::int64_t>(left, wanted));
            for (unsigned c = 0; c < _channels; ++c) {
                std::fill_n(at[c], n, 0.0f);
            }
            if (n == 0) {
                _state = State::Finished;
            }
            break;
        }
        case State::Finished:
            break;
        }
        written += n;
        _position += static_cast<std::int64_t>(n);
    }
    return written;
}

std::size_t AudioFileReader::produceDecoded(float* const* channels, std::size_t frames) {
    const AudioFileProperties& file = fileProperties();
    if (_decodedFrames == 0) {
        const std::size_t ask = _converter ? kChunkFrames : std::min(frames, kChunkFrames);
        const DecoderRead got = _decoder->read(_decoded.data(), ask);
        if (got.failed) {
            failReading();
            return 0;
        }
        if (got.frames == 0) {
            if (file.lengthIsExact && _decoderPosition < file.lengthInFrames) {
                // The file ended before its own header says it does: cut
                // short on disk, or while it was being read.
                failReading();
            } else {
                _state = _converter ? State::Flushing : State::Finished;
            }
            return 0;
        }
        silenceNonFinite(_decoded.data(), got.frames * _channels);
        _decoderPosition += static_cast<std::int64_t>(got.frames);
        _decodedOffset = 0;
        _decodedFrames = got.frames;
    }
    const float* input = _decoded.data() + _decodedOffset * _channels;
    if (!_converter) {
        const std::size_t n = std::min(frames, _decodedFrames);
        for (unsigned c = 0; c < _channels; ++c) {
            float* out = channels[c];
            for (std::size_t i = 0; i < n; ++i) {
                out[i] = input[i * _channels + c];
            }
        }
        _decodedOffset += n;
        _decodedFrames -= n;
        return n;
    }
    const SampleRateConverter::Progress progress =
        _converter->process(input, _decodedFrames, channels, frames);
    if (progress.failed || (progress.inputUsed == 0 && progress.outputWritten == 0)) {
        failReading();
        return 0;
    }
    _decodedOffset += progress.inputUsed;
    _decodedFrames -= progress.inputUsed;
    return progress.outputWritten;
}

void AudioFileReader::failReading() {
    _decodedFrames = 0;
    _state = State::Silence;
    if (!_warned) {
        _warned = true;
        logFormat("Warning: Could not read %s after frame %lld; playing silence to its end",
                  _path.c_str(), static_cast<long long>(_position));
    }
}
