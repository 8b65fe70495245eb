#include "foundation/KivClassRegistry.h"

#include <mutex>

KivClassRegistry& KivClassRegistry::shared() {
    static KivClassRegistry registry;
    return registry;
}

void KivClassRegistry::registerClass(std::string name, std::type_index type, Decode decode) {
    std::unique_lock lock(_mutex);
    _names.insert_or_assign(type, name);
    _decoders.insert_or_assign(std::move(name), std::move(decode));
}

std::optional<std::string> KivClassRegistry::classNameForType(std::type_index type) const {
    std::shared_lock lock(_mutex);
    if (const auto it = _names.find(type); it != _names.end()) {
        return it->second;
    }
    return std::nullopt;
}

KivClassRegistry::Decode KivClassRegistry::decoderForClassName(std::string_view name) const {
    std::shared_lock lock(_mutex);
    if (const auto it = _decoders.find(name); it != _decoders.end()) {
        return it->second;
    }
    return {};
}
