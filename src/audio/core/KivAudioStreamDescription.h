#pragma once

#include "audio/core/KivFourCharCode.h"

#include <cstdint>
#include <string>

// One audio stream format record, laid out field for field as the engine's
// formats have always been.
struct KivStreamBasicDescription {
    double mSampleRate = 0.0;
    std::uint32_t mFormatID = 0;
    std::uint32_t mFormatFlags = 0;
    std::uint32_t mBytesPerPacket = 0;
    std::uint32_t mFramesPerPacket = 0;
    std::uint32_t mBytesPerFrame = 0;
    std::uint32_t mChannelsPerFrame = 0;
    std::uint32_t mBitsPerChannel = 0;
    std::uint32_t mReserved = 0;
};

inline constexpr std::uint32_t kKivFormatLinearPCM = kivFourCharCode("lpcm");
inline constexpr std::uint32_t kKivFormatFlagIsFloat = 1;
inline constexpr std::uint32_t kKivFormatFlagIsPacked = 8;
inline constexpr std::uint32_t kKivFormatFlagIsNonInterleaved = 32;

// A stream format as a value. The default is the engine's working format:
// 44100 Hz, 32-bit float, one channel, one buffer per channel.
class KivAudioStreamDescription {
public:
    KivAudioStreamDescription();
    explicit KivAudioStreamDescription(const KivStreamBasicDescription& description);
    // The default format with rate and channel count replaced.
    KivAudioStreamDescription(double sampleRate, std::uint32_t channels);

    static KivAudioStreamDescription description() { return {}; }
    static KivAudioStreamDescription
    descriptionWithBasicDescription(const KivStreamBasicDescription& description) {
        return KivAudioStreamDescription(description);
    }
    static KivAudioStreamDescription descriptionWithRate(double sampleRate,
                                                         std::uint32_t channels) {
        return {sampleRate, channels};
    }

    const KivStreamBasicDescription& streamDescription() const { return _description; }
    // The stored record itself, for readers that fill it in place.
    KivStreamBasicDescription* streamDescriptionPtr() { return &_description; }
    // Replaces the whole record without renormalising.
    void setStreamDescription(const KivStreamBasicDescription& description) {
        _description = description;
    }

    double sampleRate() const { return _description.mSampleRate; }
    void setSampleRate(double rate) { _description.mSampleRate = rate; }
    std::uint32_t format() const { return _description.mFormatID; }
    void setFormat(std::uint32_t format) { _description.mFormatID = format; }
    std::uint32_t flags() const { return _description.mFormatFlags; }
    void setFlags(std::uint32_t flags);
    std::uint32_t bytesPerPacket() const { return _description.mBytesPerPacket; }
    void setBytesPerPacket(std::uint32_t bytes) { _description.mBytesPerPacket = bytes; }
    std::uint32_t framesPerPacket() const { return _description.mFramesPerPacket; }
    void setFramesPerPacket(std::uint32_t frames) { _description.mFramesPerPacket = frames; }
    std::uint32_t bytesPerFrame() const { return _description.mBytesPerFrame; }
    void setBytesPerFrame(std::uint32_t bytes) { _description.mBytesPerFrame = bytes; }
    std::uint32_t channels() const { return _description.mChannelsPerFrame; }
    void setChannels(std::uint32_t channels);
    std::uint32_t bitsPerChannel() const { return _description.mBitsPerChannel; }
    void setBitsPerChannel(std::uint32_t bits);

    // Every field 0.
    void clear() { _description = KivStreamBasicDescription{}; }

    bool isInterleaved() const { return !(flags() & kKivFormatFlagIsNonInterleaved); }
    bool isLinearPCMFormat() const { return format() == kKivFormatLinearPCM; }
    // Interleaved packed 32-bit float linear PCM, one frame per packet.
    bool isCanonicalFormat() const;

    // Rate and the seven format words; the reserved word does not count.
    bool isEqualToDescription(const KivAudioStreamDescription& other) const;
    // A missing description compares as an all-zero record.
    bool isEqualToDescription(const KivAudioStreamDescription* other) const;
    bool operator==(const KivAudioStreamDescription& other) const {
        return isEqualToDescription(other);
    }

    // "[ 44100.00 hz | 1 channel | 32 bit | 'lpcm'-Linear-PCM | ... ]"
    std::string debugDescription() const;
    // A name for the format code, "Unknown" for codes without one.
    std::string humanFormat() const;

private:
    void renormalise();

    KivStreamBasicDescription _description;
};
