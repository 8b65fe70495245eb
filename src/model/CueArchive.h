#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class AudioCue;
class KivKeyedDecoder;
class KivKeyedEncoder;

// An audio cue as the show document and the pasteboard keep it: the keys
// "PondraCue" is archived under, read back with every value checked.
class CueArchive final {
public:
    static void encode(const AudioCue& cue, KivKeyedEncoder& coder);
    // See AudioCue::initWithCoder.
    static std::shared_ptr<AudioCue> decode(const KivKeyedDecoder& coder);
    // See AudioCue::pasteboardData and AudioCue::cueFromPasteboardData.
    static std::vector<std::uint8_t> pasteboardData(const AudioCue& cue);
    static std::shared_ptr<AudioCue> cueFromPasteboardData(const std::vector<std::uint8_t>& data,
                                                           std::string* problem);
};
