#include "audio/core/KivAudioStreamDescription.h"

#include "foundation/KivStatusError.h"

#include <cstdio>
#include <utility>

KivAudioStreamDescription::KivAudioStreamDescription() {
    _description.mSampleRate = 44100.0;
    _description.mFormatID = kKivFormatLinearPCM;
    _description.mFormatFlags =
        kKivFormatFlagIsFloat | kKivFormatFlagIsPacked | kKivFormatFlagIsNonInterleaved;
    _description.mBytesPerPacket = 4;
    _description.mFramesPerPacket = 1;
    _description.mBytesPerFrame = 4;
    _description.mChannelsPerFrame = 1;
    _description.mBitsPerChannel = 32;
}

KivAudioStreamDescription::KivAudioStreamDescription(const KivStreamBasicDescription& description)
    : _description(description) {}

KivAudioStreamDescription::KivAudioStreamDescription(double sampleRate, std::uint32_t channels)
    : KivAudioStreamDescription() {
    _description.mSampleRate = sampleRate;
    setChannels(channels);
}

void KivAudioStreamDescription::setFlags(std::uint32_t flags) {
    _description.mFormatFlags = flags;
    renormalise();
}

void KivAudioStreamDescription::setChannels(std::uint32_t channels) {
    _description.mChannelsPerFrame = channels;
    renormalise();
}

void KivAudioStreamDescription::setBitsPerChannel(std::uint32_t bits) {
    _description.mBitsPerChannel = bits;
    renormalise();
}

void KivAudioStreamDescription::renormalise() {
    std::uint32_t bytes = _description.mBitsPerChannel / 8;
    if (isInterleaved()) {
        bytes *= _description.mChannelsPerFrame;
    }
    _description.mBytesPerFrame = bytes;
    _description.mBytesPerPacket = bytes;
}

bool KivAudioStreamDescription::isCanonicalFormat() const {
    return isLinearPCMFormat() &&
           (flags() & ~(kKivFormatFlagIsFloat | kKivFormatFlagIsPacked)) == 0 &&
           bitsPerChannel() == 32 && framesPerPacket() == 1;
}

bool KivAudioStreamDescription::isEqualToDescription(const KivAudioStreamDescription& other) const {
    const KivStreamBasicDescription& a = _description;
    const KivStreamBasicDescription& b = other._description;
    return a.mSampleRate == b.mSampleRate && a.mFormatID == b.mFormatID &&
           a.mFormatFlags == b.mFormatFlags && a.mBytesPerPacket == b.mBytesPerPacket &&
           a.mFramesPerPacket == b.mFramesPerPacket && a.mBytesPerFrame == b.mBytesPerFrame &&
           a.mChannelsPerFrame == b.mChannelsPerFrame && a.mBitsPerChannel == b.mBitsPerChannel;
}

bool KivAudioStreamDescription::isEqualToDescription(const KivAudioStreamDescription* other) const {
    if (other) {
        return isEqualToDescription(*other);
    }
    return isEqualToDescription(KivAudioStreamDescription(KivStreamBasicDescription{}));
}

std::string KivAudioStreamDescription::debugDescription() const {
    // The code's bytes as they lie in memory, made safe for the console.
    char code[5];
    statusCharacters(static_cast<std::int32_t>(_description.mFormatID), code);
    char text[512];
    std::snprintf(text, sizeof text,
                  "[ %.2f hz | %d channel | %d bit | '%4.4s'-%s | %d bytes per packet | %d frames "
                  "per packet | %d bytes per frame | %s",
                  sampleRate(), static_cast<int>(channels()), static_cast<int>(bitsPerChannel()),
                  code, humanFormat().c_str(), static_cast<int>(bytesPerPacket()),
                  static_cast<int>(framesPerPacket()), static_cast<int>(bytesPerFrame()),
                  isInterleaved() ? "Interleaved ]" : "Non-interleaved ]");
    return text;
}

std::string KivAudioStreamDescription::humanFormat() const {
    static const std::pair<std::uint32_t, const char*> kNames[] = {
        {kivFourCharCode(".mp1"), "MP1"},
        {kivFourCharCode(".mp2"), "MP2"},
        {kivFourCharCode(".mp3"), "MP3"},
        {kivFourCharCode("AUDB"), "Audible"},
        {kivFourCharCode("MAC3"), "MACE3"},
        {kivFourCharCode("MAC6"), "MACE6"},
        {kivFourCharCode("QDM2"), "QDesign2"},
        {kivFourCharCode("QDMC"), "QDesign"},
        {kivFourCharCode("Qclp"), "QUALCOMM"},
        {kivFourCharCode("aac "), "MPEG4-AAC"},
        {kivFourCharCode("aach"), "MEPG4-AAC_HE"},
        {kivFourCharCode("aacl"), "MEPG4-AAC_LD"},
        {kivFourCharCode("aacp"), "MEPG4-AAC_HE_V2"},
        {kivFourCharCode("aacs"), "MEPG4-AAC_Spatial"},
        {kivFourCharCode("ac-3"), "AC3"},
        {kivFourCharCode("aes3"), "AES3"},
        {kivFourCharCode("alac"), "Apple-Lossless"},
        {kivFourCharCode("alaw"), "ALaw"},
        {kivFourCharCode("cac3"), "60958AC3"},
        {kivFourCharCode("celp"), "MPEG4-CELP"},
        {kivFourCharCode("hvxc"), "MPEG4-HVXC"},
        {kivFourCharCode("ilbc"), "iLBC"},
        {kivFourCharCode("ima4"), "Apple-IMA4"},
        {kivFourCharCode("lpcm"), "Linear-PCM"},
        {0x6D730011, "DVIIntelIMA"},
        {0x6D730031, "MicrosoftGSM"},
        {kivFourCharCode("samr"), "AMR"},
        {kivFourCharCode("twvq"), "MPEG4-TwinVQ"},
        {kivFourCharCode("ulaw"), "ULaw"},
    };
    for (const auto& [code, name] : kNames) {
        if (code == format()) {
            return name;
        }
    }
    return "Unknown";
}
