#include "audio/effects/KivEffectIdentity.h"

#include "audio/effects/KivEffectDictionary.h"
#include "foundation/KivStatusError.h"
#include "platform/effects/EffectStatus.h"

#include <optional>
#include <utility>
#include <vector>

using KivEffectDictionary::textValue;

namespace {

// Splits "maker: name" into its two parts; nullopt unless there are exactly two.
std::optional<std::pair<std::string, std::string>> splitName(const std::string& text,
                                                             const std::string& separator) {
    const std::size_t first = text.find(separator);
    if (first == std::string::npos ||
        text.find(separator, first + separator.size()) != std::string::npos) {
        return std::nullopt;
    }
    return std::make_pair(text.substr(0, first), text.substr(first + separator.size()));
}

std::vector<std::uint8_t> bytesOf(const nlohmann::json& value) {
    if (value.is_binary()) {
        return std::vector<std::uint8_t>(value.get_binary().begin(), value.get_binary().end());
    }
    return {};
}

} // namespace

bool KivEffectIdentity::setComponentDescription(const KivAudioComponentDescription& description,
                                                KivError* error) {
    _componentDescription = description;
    _available = false;
    if (!description.component()) {
        logStatusError(kEffectComponentNotFound, description.name().c_str(),
                       "setComponentDescription", __LINE__);
        return failWith(error, kKivEffectErrorDomain, kEffectComponentNotFound);
    }
    _available = true;
    const std::string& full = description.name();
    auto parts = splitName(full, ": ");
    if (!parts) {
        parts = splitName(full, ":");
    }
    if (parts) {
        _manufacturer = parts->first;
        _name = _displayName = parts->second;
    } else {
        _manufacturer = "Unknown";
        _name = _displayName = full;
    }
    return true;
}

bool KivEffectIdentity::takeProperties(const nlohmann::json& properties) {
    if (auto found = properties.find("component");
        found != properties.end() && found->is_binary()) {
        const auto description =
            KivAudioComponentDescription::descriptionWithState(bytesOf(*found));
        if (!(description == _componentDescription) || !_available) {
            if (!setComponentDescription(description)) {
                // Not installed: the maker and name come from the dictionary.
                _manufacturer = textValue(properties, "manufacturer", "");
                _name = textValue(properties, "name", "");
                _displayName = textValue(properties, "displayName", _name);
                return false;
            }
        }
    }
    if (auto found = properties.find("manufacturer");
        found != properties.end() && found->is_string()) {
        _manufacturer = found->get<std::string>();
    }
    if (auto found = properties.find("name"); found != properties.end() && found->is_string()) {
        _name = found->get<std::string>();
    }
    if (auto found = properties.find("displayName");
        found != properties.end() && found->is_string()) {
        _displayName = found->get<std::string>();
    }
    return true;
}

bool KivEffectIdentity::fail(std::int32_t status, const char* domain, const char* operation,
                             int line, KivError* error) const {
    logStatusError(status, _name.c_str(), operation, line);
    return failWith(error, domain, status);
}
