#pragma once

#include "foundation/KivArchivable.h"
#include "foundation/KivClassRegistry.h"

#include <cstdint>
#include <limits>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

// Reads one keyed archive written by KivKeyedEncoder. Never throws.
//
// A missing key gives the documented default: false, 0, an empty string or
// data, a null value, nullptr or an empty collection, without an error
// (containsValueForKey tells absence apart). A key of the wrong type gives the
// same default and records an error, as do text that is not JSON, truncated
// text, nesting past the limit, malformed data, an unknown class or an object
// of another class than asked for. The first error is kept, with the path of
// the key ("carts[0].cues.3.volume: expected a number, found string"); the
// caller checks failed() once at the end. Unknown keys are ignored.
//
// One decoder and the decoders of its objects are used by one thread at a time.
class KivKeyedDecoder {
public:
    static constexpr std::size_t kNoLimit = std::numeric_limits<std::size_t>::max();

    // Parses archived text. Invalid UTF-8 in the text is replaced before parsing.
    static KivKeyedDecoder
    decoderForText(std::string_view text,
                   const KivClassRegistry& registry = KivClassRegistry::shared());
    // Reads an already-parsed stored form, which must be a JSON object.
    explicit KivKeyedDecoder(nlohmann::json storedForm,
                             const KivClassRegistry& registry = KivClassRegistry::shared());

    bool containsValueForKey(std::string_view key) const;

    // Numbers read as true when non-zero.
    bool decodeBoolForKey(std::string_view key) const;
    // Integers out of the type's range, and numbers with a fraction, are errors.
    std::int32_t decodeInt32ForKey(std::string_view key) const;
    std::int64_t decodeInt64ForKey(std::string_view key) const;
    // A value beyond the float's range is an error.
    float decodeFloatForKey(std::string_view key) const;
    double decodeDoubleForKey(std::string_view key) const;
    // A text longer than `maximumSize` bytes is an error, and none of it is kept.
    std::string decodeStringForKey(std::string_view key, std::size_t maximumSize = kNoLimit) const;
    std::vector<std::uint8_t> decodeBytesForKey(std::string_view key) const;
    // A property-list value (bytes as json binary); null when absent.
    nlohmann::json decodeValueForKey(std::string_view key) const;

    // The archived object under the key, decoded by its registered class;
    // nullptr when absent, or with an error when it is not a T.
    template <typename T>
    std::shared_ptr<T> decodeObjectForKey(std::string_view key) const {
        const nlohmann::json* stored = find(key);
        if (stored == nullptr || stored->is_null()) {
            return nullptr;
        }
        return cast<T>(decodeObject(*stored, pathFor(key), _depth + 1), pathFor(key));
    }
    // An array of archived objects; elements that fail are left out with an
    // error. More than `maximumCount` elements is an error, found before any
    // of them is decoded.
    template <typename T>
    std::vector<std::shared_ptr<T>>
    decodeObjectArrayForKey(std::string_view key, std::size_t maximumCount = kNoLimit) const {
        std::vector<std::shared_ptr<T>> objects;
        const nlohmann::json* stored = find(key);
        if (stored == nullptr || !expect(*stored, nlohmann::json::value_t::array, key) ||
            !withinCount(*stored, maximumCount, key)) {
            return objects;
        }
        for (std::size_t i = 0; i < stored->size(); ++i) {
            const std::string path = pathFor(key) + "[" + std::to_string(i) + "]";
            if (auto object = cast<T>(decodeObject((*stored)[i], path, _depth + 2), path)) {
                objects.push_back(std::move(object));
            }
        }
        return objects;
    }
    // A dictionary of archived objects keyed by decimal integers, bounded as
    // an array is.
    template <typename T>
    std::map<std::int64_t, std::shared_ptr<T>>
    decodeObjectDictionaryForKey(std::string_view key, std::size_t maximumCount = kNoLimit) const {
        std::map<std::int64_t, std::shared_ptr<T>> objects;
        const nlohmann::json* stored = find(key);
        if (stored == nullptr || !expect(*stored, nlohmann::json::value_t::object, key) ||
            !withinCount(*stored, maximumCount, key)) {
            return objects;
        }
        for (const auto& [name, element] : stored->items()) {
            const std::string path = pathFor(key) + "." + name;
            std::int64_t index = 0;
            if (!parseIndex(name, index)) {
                fail(path + ": the key is not a decimal integer");
                continue;
            }
            if (auto object = cast<T>(decodeObject(element, path, _depth + 2), path)) {
                objects.emplace(index, std::move(object));
            }
        }
        return objects;
    }

    // Marks the archive as unusable (an object that finds its values
    // invalid); the message is prefixed with the object's path.
    void failWithError(std::string message) const;
    bool failed() const;
    std::string error() const;

private:
    struct State;
    KivKeyedDecoder(std::shared_ptr<State> state, const nlohmann::json* storedForm,
                    std::string path, int depth);

    void fail(std::string message) const;
    const nlohmann::json* find(std::string_view key) const;
    std::string pathFor(std::string_view key) const;
    bool expect(const nlohmann::json& stored, nlohmann::json::value_t type,
                std::string_view key) const;
    bool withinCount(const nlohmann::json& stored, std::size_t maximumCount,
                     std::string_view key) const;
    void wrongType(std::string_view key, const char* expected, const nlohmann::json& found) const;
    std::shared_ptr<KivArchivable> decodeObject(const nlohmann::json& stored,
                                                const std::string& path, int level) const;
    static bool parseIndex(const std::string& text, std::int64_t& index);

    template <typename T>
    std::shared_ptr<T> cast(std::shared_ptr<KivArchivable> object, const std::string& path) const {
        if (!object) {
            return nullptr;
        }
        auto typed = std::dynamic_pointer_cast<T>(std::move(object));
        if (!typed) {
            fail(path + ": the archived object is not of the expected class");
        }
        return typed;
    }

    std::shared_ptr<State> _state;
    const nlohmann::json* _stored = nullptr; // inside _state's root
    std::string _path;
    int _depth = 1; // nesting of _stored, the root being 1
};
