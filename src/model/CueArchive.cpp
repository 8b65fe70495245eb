#include "model/CueArchive.h"

#include "audio/effects/KivEffect.h"
#include "foundation/KivClassRegistry.h"
#include "foundation/KivEnvironment.h"
#include "foundation/KivKeyedDecoder.h"
#include "foundation/KivKeyedEncoder.h"
#include "foundation/KivLog.h"
#include "model/AudioCue.h"
#include "platform/alias/KivAlias.h"

#include <algorithm>
#include <cmath>

namespace {

const bool registered = [] {
    KivClassRegistry::shared().registerClass<AudioCue>("PondraCue");
    return true;
}();

// The keys of the pasteboard's archive: the cue as root object, and beside it
// the reference to the file it plays.
constexpr const char* kRootKey = "root";
constexpr const char* kFileReferenceKey = "fileReference";

} // namespace

void CueArchive::encode(const AudioCue& cue, KivKeyedEncoder& coder) {
    coder.encodeString(cue.file(), "file");
    coder.encodeString(cue.name(), "name");
    if (cue.documentPath()) {
        coder.encodeString(*cue.documentPath(), "documentPath");
    }
    coder.encodeString(cue.hotkey(), "hotkey");
    coder.encodeFloat(cue.volume(), "volume");
    coder.encodeBool(cue.hold(), "hold");
    coder.encodeBool(cue.loops(), "loops");
    coder.encodeBool(cue.solo(), "solo");
    coder.encodeBool(cue.ducking(), "ducking");
    coder.encodeBool(cue.dead(), "dead");
    coder.encodeObject(cue.color(), "color");
    if (cue.midiTrigger()) {
        coder.encodeBytes(*cue.midiTrigger(), "midiTrigger");
    }
    coder.encodeDouble(cue.startTime(), "startTime");
    coder.encodeDouble(cue.endTime(), "endTime");
    coder.encodeBool(cue.flagged(), "flagged");
    nlohmann::json effects = nlohmann::json::array();
    for (const auto& effect : cue.effects()) {
        effects.push_back(effect->properties());
    }
    coder.encodeValue(effects, "effects");
}

std::shared_ptr<AudioCue> CueArchive::decode(const KivKeyedDecoder& coder) {
    auto cue = AudioCue::make();
    if (!cue) {
        coder.failWithError("no audio source could be made for the cue");
        return nullptr;
    }
    cue->_file = coder.decodeStringForKey("file", AudioCue::kMaximumPathSize);
    cue->setName(coder.decodeStringForKey("name", AudioCue::kMaximumNameSize));
    if (coder.containsValueForKey("documentPath")) {
        cue->setDocumentPath(coder.decodeStringForKey("documentPath", AudioCue::kMaximumPathSize));
    }
    if (KivEnvironment::logLevel() >= 3) {
        logFormat("initializing %s", cue->description().c_str());
    }
    CuePlayback::Settings settings;
    settings.volume = coder.decodeFloatForKey("volume");
    // Stored hot keys are parsed again, so a hand-edited one keeps the invariant.
    cue->setHotkey(coder.decodeStringForKey("hotkey", AudioCue::kMaximumHotkeySize));
    settings.hold = coder.decodeBoolForKey("hold");
    settings.loops = coder.decodeBoolForKey("loops");
    settings.solo = coder.decodeBoolForKey("solo");
    settings.ducking = coder.decodeBoolForKey("ducking");
    settings.dead = coder.decodeBoolForKey("dead");
    if (auto color = coder.decodeObjectForKey<PondraColor>("color")) {
        cue->setColor(*color);
    }
    if (coder.containsValueForKey("midiTrigger")) {
        const auto bytes = coder.decodeBytesForKey("midiTrigger");
        if (bytes.size() != MidiTrigger().size()) {
            coder.failWithError("midiTrigger: expected 3 bytes, found " +
                                std::to_string(bytes.size()));
            return nullptr;
        }
        cue->setMidiTrigger(MidiTrigger{bytes[0], bytes[1], bytes[2]});
    }
    settings.startTime = coder.decodeDoubleForKey("startTime");
    settings.endTime = coder.decodeDoubleForKey("endTime");
    cue->setFlagged(coder.decodeBoolForKey("flagged"));
    if (!std::isfinite(settings.volume) || settings.volume < 0.0f) {
        coder.failWithError("volume: a gain cannot be negative");
        return nullptr;
    }
    // No control sets a louder cue; a hand-made document might.
    settings.volume = std::min(settings.volume, AudioCue::kMaximumVolume);
    if (settings.startTime < 0.0 || settings.endTime < settings.startTime) {
        coder.failWithError("startTime, endTime: expected 0 <= startTime <= endTime");
        return nullptr;
    }
    cue->_playback.restore(settings);
    const nlohmann::json effects = coder.decodeValueForKey("effects");
    if (!effects.is_null() && !effects.is_array()) {
        coder.failWithError("effects: expected an array");
        return nullptr;
    }
    if (effects.size() > AudioCue::kMaximumEffects) {
        coder.failWithError("effects: more than " + std::to_string(AudioCue::kMaximumEffects) +
                            " effects in one cue");
        return nullptr;
    }
    std::size_t skipped = 0;
    for (const auto& properties : effects) {
        // A missing plugin still gives an effect that keeps its dictionary.
        if (auto effect = KivEffect::effectWithProperties(properties)) {
            cue->addEffect(effect);
        } else {
            ++skipped;
        }
    }
    if (skipped > 0) {
        logFormat("Warning: %s skips %zu effect entries that describe no effect",
                  cue->description().c_str(), skipped);
    }
    cue->_playback.updateSlices();
    cue->setSaved(true);
    cue->_playback.updateState();
    if (coder.failed()) {
        return nullptr;
    }
    return cue;
}

std::vector<std::uint8_t> CueArchive::pasteboardData(const AudioCue& cue) {
    KivKeyedEncoder encoder;
    encoder.encodeObject(cue, kRootKey);
    if (const auto alias = cue.mediaAlias()) {
        encoder.encodeObject(*alias, kFileReferenceKey);
    }
    const auto text = encoder.archivedText();
    if (!text) {
        logFormat("Error: could not archive %s: %s", cue.description().c_str(),
                  encoder.error().c_str());
        return {};
    }
    return {text->begin(), text->end()};
}

std::shared_ptr<AudioCue> CueArchive::cueFromPasteboardData(const std::vector<std::uint8_t>& data,
                                                            std::string* problem) {
    const auto refuse = [problem](const std::string& why) -> std::shared_ptr<AudioCue> {
        logFormat("Warning: the pasteboard holds no usable cue: %s", why.c_str());
        if (problem) {
            *problem = why;
        }
        return nullptr;
    };
    if (data.size() > AudioCue::kMaximumPasteboardSize) {
        return refuse("it is larger than " +
                      std::to_string(AudioCue::kMaximumPasteboardSize >> 20) + " MB");
    }
    const auto decoder = KivKeyedDecoder::decoderForText(
        std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
    auto cue = decoder.decodeObjectForKey<AudioCue>(kRootKey);
    const auto reference = decoder.decodeObjectForKey<KivAlias>(kFileReferenceKey);
    if (decoder.failed() || !cue) {
        return refuse(decoder.failed() ? decoder.error() : "it holds no cue");
    }
    // The very file the copied cue played, wherever it lies now; a file gone
    // leaves the cue without one, broken.
    if (reference) {
        const std::string path = reference->fullPath();
        cue->updateFile(path.empty() ? cue->file() : path, path.empty() ? nullptr : reference);
    }
    return cue;
}
