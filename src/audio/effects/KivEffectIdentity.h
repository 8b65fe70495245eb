#pragma once

#include "audio/core/KivError.h"
#include "audio/effects/KivAudioComponentDescription.h"

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>

// Which component an effect is of and the names it goes by: the maker and
// name the component's name splits into ("maker: name"), and the name shown.
// Main thread.
class KivEffectIdentity {
public:
    // -2005 in "KivEffectErrorDomain" when the component is not installed;
    // the names are then left as they were.
    bool setComponentDescription(const KivAudioComponentDescription& description,
                                 KivError* error = nullptr);
    const KivAudioComponentDescription& componentDescription() const {
        return _componentDescription;
    }
    // False for a component that is not installed.
    bool isAvailable() const { return _available; }
    const std::string& manufacturer() const { return _manufacturer; }
    const std::string& name() const { return _name; }
    const std::string& displayName() const { return _displayName; }
    void setDisplayName(std::string displayName) { _displayName = std::move(displayName); }

    // Takes the component and the names a state dictionary gives. False when
    // its component is not installed: the names then all come from the
    // dictionary.
    bool takeProperties(const nlohmann::json& properties);

    // Logs a failed operation under the effect's name and returns the status
    // in `error`; false.
    bool fail(std::int32_t status, const char* domain, const char* operation, int line,
              KivError* error) const;

private:
    KivAudioComponentDescription _componentDescription;
    bool _available = false;
    std::string _manufacturer;
    std::string _name;
    std::string _displayName;
};
