#pragma once

#include "foundation/KivArchivable.h"
#include "foundation/KivClassRegistry.h"

#include <cstdint>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Writes one keyed archive: the top-level dictionary (a workspace's root keys,
// or any dictionary of values and objects) and, through encodeWithCoder, the
// keys of each archived object. Storage rules are in KivArchiveValue.h.
//
// Encoding never throws. The first failure (a non-finite number, an object of
// an unregistered class, nesting past the limit, a key reserved by the coder)
// is kept; later calls still run, and archivedText() then gives nullopt. Each
// reference to an object is archived in full: shared identity is not kept, and
// a cycle ends in the nesting error. One encoder is used by one thread at a time.
class KivKeyedEncoder {
public:
    explicit KivKeyedEncoder(const KivClassRegistry& registry = KivClassRegistry::shared());
    KivKeyedEncoder(const KivKeyedEncoder&) = delete;
    KivKeyedEncoder& operator=(const KivKeyedEncoder&) = delete;

    void encodeBool(bool value, std::string_view key);
    void encodeInt32(std::int32_t value, std::string_view key);
    void encodeInt64(std::int64_t value, std::string_view key);
    // Floats are stored widened to double, so they read back bit for bit.
    void encodeFloat(float value, std::string_view key);
    void encodeDouble(double value, std::string_view key);
    void encodeString(std::string_view value, std::string_view key);
    void encodeBytes(std::span<const std::uint8_t> bytes, std::string_view key);
    // Any property-list value: arrays, dictionaries, numbers, strings, bytes
    // (json binary), nested to the limit.
    void encodeValue(const nlohmann::json& value, std::string_view key);

    // An archived object tagged with its registered class name; nullptr
    // writes nothing, so the key reads back as absent.
    void encodeObject(const KivArchivable* object, std::string_view key);
    void encodeObject(const KivArchivable& object, std::string_view key) {
        encodeObject(&object, key);
    }
    template <typename T>
    void encodeObject(const std::shared_ptr<T>& object, std::string_view key) {
        encodeObject(object.get(), key);
    }
    // An array of archived objects; a null element is an error.
    template <typename T>
    void encodeObjects(const std::vector<std::shared_ptr<T>>& objects, std::string_view key) {
        nlohmann::json array = nlohmann::json::array();
        for (const auto& object : objects) {
            array.push_back(archivedObject(object.get(), key, _depth + 2));
        }
        put(std::move(array), key);
    }
    // A dictionary of archived objects keyed by integers, stored with decimal
    // string keys; a null value is an error.
    template <typename T>
    void encodeObjects(const std::map<std::int64_t, std::shared_ptr<T>>& objects,
                       std::string_view key) {
        nlohmann::json dictionary = nlohmann::json::object();
        for (const auto& [index, object] : objects) {
            dictionary[std::to_string(index)] = archivedObject(object.get(), key, _depth + 2);
        }
        put(std::move(dictionary), key);
    }

    bool failed() const;
    std::string error() const;

    // The stored form written so far: a JSON object.
    const nlohmann::json& storedForm() const { return _stored; }
    // The archive as UTF-8 JSON text, or nullopt after a failure.
    std::optional<std::string> archivedText() const;

private:
    struct State;
    KivKeyedEncoder(std::shared_ptr<State> state, std::string path, int depth);

    void fail(std::string message);
    void put(nlohmann::json value, std::string_view key);
    // `level` is the nesting of the object's own JSON object (the root is 1).
    nlohmann::json archivedObject(const KivArchivable* object, std::string_view key, int level);
    std::string pathFor(std::string_view key) const;

    std::shared_ptr<State> _state;
    std::string _path;
    int _depth = 1; // nesting of _stored, the root being 1
    nlohmann::json _stored = nlohmann::json::object();
};
