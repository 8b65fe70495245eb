#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <utility>

// Reading an effect's state dictionary; the classes KivEffect is built from share these.
namespace KivEffectDictionary {

inline constexpr const char* kClassName = "KivEffect";

inline std::string textValue(const nlohmann::json& dictionary, const char* key,
                             std::string otherwise) {
    auto found = dictionary.find(key);
    return found != dictionary.end() && found->is_string() ? found->get<std::string>()
                                                           : std::move(otherwise);
}

// Archived flags may be booleans or numbers; anything else is the default.
inline bool flagValue(const nlohmann::json& dictionary, const char* key, bool otherwise) {
    auto found = dictionary.find(key);
    if (found == dictionary.end()) {
        return otherwise;
    }
    if (found->is_boolean()) {
        return found->get<bool>();
    }
    return found->is_number() ? found->get<double>() != 0.0 : otherwise;
}

} // namespace KivEffectDictionary
