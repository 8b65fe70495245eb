#include "model/WorkspaceArchive.h"

#include "foundation/KivKeyedDecoder.h"
#include "foundation/KivKeyedEncoder.h"
#include "model/Cart.h"
#include "model/PondraLogger.h"
#include "model/WorkspaceOutput.h"

#include <algorithm>
#include <cmath>

namespace {

bool isVolume(float volume) {
    return std::isfinite(volume) && volume >= 0.0f;
}

} // namespace

std::optional<std::string>
WorkspaceArchive::archivedText(const std::vector<std::set<std::size_t>>& leftOut,
                               std::string& error) const {
    KivKeyedEncoder encoder;
    encoder.encodeString(version, "version");
    if (audioDeviceUID) {
        encoder.encodeString(*audioDeviceUID, "audioDeviceUID");
    }
    encoder.encodeInt32(deviceChannel, "deviceChannel");
    encoder.encodeObjects(carts, "carts");
    encoder.encodeBool(locked, "locked");
    encoder.encodeBool(ducked, "ducked");
    encoder.encodeFloat(masterVolume, "masterVolume");
    if (duckedVolume) {
        encoder.encodeFloat(*duckedVolume, "duckedVolume");
    }
    encoder.encodeValue(settings.is_null() ? nlohmann::json::object() : settings, "settings");
    encoder.encodeObject(logger, "logger");
    if (encoder.failed()) {
        error = encoder.error();
        return std::nullopt;
    }
    nlohmann::json stored = encoder.storedForm();
    nlohmann::json& storedCarts = stored["carts"];
    for (std::size_t i = 0; i < leftOut.size() && i < storedCarts.size(); ++i) {
        nlohmann::json& cues = storedCarts[i]["cues"];
        for (const std::size_t index : leftOut[i]) {
            cues.erase(std::to_string(index));
        }
    }
    return stored.dump(1, '\t', false, nlohmann::json::error_handler_t::replace);
}

std::optional<WorkspaceArchive> WorkspaceArchive::fromText(std::string_view text,
                                                           std::string& error) {
    if (text.size() > kMaximumDocumentSize) {
        error = "the document is larger than " + std::to_string(kMaximumDocumentSize) + " bytes";
        return std::nullopt;
    }
    const KivKeyedDecoder decoder = KivKeyedDecoder::decoderForText(text);
    WorkspaceArchive archive;
    archive.version = decoder.decodeStringForKey("version");
    if (decoder.containsValueForKey("audioDeviceUID")) {
        archive.audioDeviceUID = decoder.decodeStringForKey("audioDeviceUID");
    }
    archive.deviceChannel = std::max(decoder.decodeInt32ForKey("deviceChannel"), 1);
    archive.carts = decoder.decodeObjectArrayForKey<Cart>("carts", kMaximumCarts);
    archive.locked = decoder.decodeBoolForKey("locked");
    archive.ducked = decoder.decodeBoolForKey("ducked");
    if (decoder.containsValueForKey("masterVolume")) {
        archive.masterVolume = decoder.decodeFloatForKey("masterVolume");
    }
    if (decoder.containsValueForKey("duckedVolume")) {
        archive.duckedVolume = decoder.decodeFloatForKey("duckedVolume");
    }
    archive.settings = decoder.decodeValueForKey("settings");
    archive.logger = decoder.decodeObjectForKey<PondraLogger>("logger");
    if (decoder.failed()) {
        error = decoder.error();
        return std::nullopt;
    }
    if (!archive.settings.is_null() && !archive.settings.is_object()) {
        error = "settings: expected a dictionary";
        return std::nullopt;
    }
    if (!isVolume(archive.masterVolume) ||
        (archive.duckedVolume && !isVolume(*archive.duckedVolume))) {
        error = "masterVolume, duckedVolume: expected volumes of 0 or more";
        return std::nullopt;
    }
    // No control sets more; a hand-made document might.
    archive.masterVolume = std::min(archive.masterVolume, WorkspaceOutput::kMaximumVolume);
    if (archive.duckedVolume) {
        archive.duckedVolume = std::min(*archive.duckedVolume, WorkspaceOutput::kMaximumVolume);
    }
    return archive;
}
