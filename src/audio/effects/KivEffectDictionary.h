#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <utility>

// Reading an effect's state dictionary; the files KivEffect is built from share these.
namespace KivEffectDictionary {

inline constexpr const char* kClassName = "KivEffect";

inline std::string textValue(const nlohmann::json& dictionary, const char* key,
                             std::string otherwise) {
    auto found = dictionary.find(key);
    return found != dictionary.end() && found->is_string() ? found->get<std::string>()
                                                           : std::move(otherwise);
}

} // namespace KivEffectDictionary
