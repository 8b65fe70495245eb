#pragma once

#include "foundation/KivArchivable.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <typeindex>

class KivKeyedDecoder;

// Archived class names in both directions: the type of an object to its name
// when encoding, the name to the class's decoding function when decoding.
// Classes register once at start-up from any thread; coders on any thread look
// them up.
class KivClassRegistry {
public:
    using Decode = std::function<std::shared_ptr<KivArchivable>(const KivKeyedDecoder&)>;

    // The process-wide registry that coders use unless given another one.
    static KivClassRegistry& shared();

    // Registers T under `name` with T::initWithCoder as its decoding function.
    // A later registration of the same name or type replaces the earlier one.
    template <typename T>
    void registerClass(std::string name) {
        registerClass(std::move(name), typeid(T),
                      [](const KivKeyedDecoder& coder) -> std::shared_ptr<KivArchivable> {
                          return T::initWithCoder(coder);
                      });
    }
    void registerClass(std::string name, std::type_index type, Decode decode);

    std::optional<std::string> classNameForType(std::type_index type) const;
    // Empty when the name is not registered.
    Decode decoderForClassName(std::string_view name) const;

private:
    mutable std::shared_mutex _mutex;
    std::map<std::type_index, std::string> _names;
    std::map<std::string, Decode, std::less<>> _decoders;
};
