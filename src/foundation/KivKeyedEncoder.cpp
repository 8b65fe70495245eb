#include "foundation/KivKeyedEncoder.h"

#include "foundation/KivArchiveValue.h"
#include "foundation/KivUTF8.h"

#include <cmath>
#include <typeinfo>

struct KivKeyedEncoder::State {
    const KivClassRegistry* registry = nullptr;
    std::string error;
};

KivKeyedEncoder::KivKeyedEncoder(const KivClassRegistry& registry)
    : _state(std::make_shared<State>()) {
    _state->registry = &registry;
}

KivKeyedEncoder::KivKeyedEncoder(std::shared_ptr<State> state, std::string path, int depth)
    : _state(std::move(state))
    , _path(std::move(path))
    , _depth(depth) {}

std::string KivKeyedEncoder::pathFor(std::string_view key) const {
    return _path.empty() ? std::string(key) : _path + "." + std::string(key);
}

void KivKeyedEncoder::fail(std::string message) {
    if (_state->error.empty()) {
        _state->error = std::move(message);
    }
}

bool KivKeyedEncoder::failed() const {
    return !_state->error.empty();
}

std::string KivKeyedEncoder::error() const {
    return _state->error;
}

void KivKeyedEncoder::put(nlohmann::json value, std::string_view key) {
    _stored[KivArchiveValue::storedKey(key)] = std::move(value);
}

void KivKeyedEncoder::encodeBool(bool value, std::string_view key) {
    put(value, key);
}

void KivKeyedEncoder::encodeInt32(std::int32_t value, std::string_view key) {
    put(value, key);
}

void KivKeyedEncoder::encodeInt64(std::int64_t value, std::string_view key) {
    put(value, key);
}

void KivKeyedEncoder::encodeFloat(float value, std::string_view key) {
    encodeDouble(static_cast<double>(value), key);
}

void KivKeyedEncoder::encodeDouble(double value, std::string_view key) {
    if (!std::isfinite(value)) {
        fail(pathFor(key) + ": a non-finite number cannot be archived");
        return;
    }
    put(value, key);
}

void KivKeyedEncoder::encodeString(std::string_view value, std::string_view key) {
    put(KivUTF8::sanitized(value), key);
}

void KivKeyedEncoder::encodeBytes(std::span<const std::uint8_t> bytes, std::string_view key) {
    encodeValue(nlohmann::json::binary(std::vector<std::uint8_t>(bytes.begin(), bytes.end())), key);
}

void KivKeyedEncoder::encodeValue(const nlohmann::json& value, std::string_view key) {
    nlohmann::json stored;
    std::string error;
    if (!KivArchiveValue::toStored(value, stored, error, _depth)) {
        fail(pathFor(key) + ": " + error);
        return;
    }
    put(std::move(stored), key);
}

nlohmann::json KivKeyedEncoder::archivedObject(const KivArchivable* object, std::string_view key,
                                               int level) {
    if (object == nullptr) {
        fail(pathFor(key) + ": a null object in a collection cannot be archived");
        return nullptr;
    }
    if (level > KivArchiveValue::kMaximumDepth) {
        fail(pathFor(key) + ": nesting deeper than " +
             std::to_string(KivArchiveValue::kMaximumDepth) +
             " levels (is the object graph cyclic?)");
        return nullptr;
    }
    const auto name = _state->registry->classNameForType(typeid(*object));
    if (!name) {
        fail(pathFor(key) + ": class " + typeid(*object).name() +
             " is not registered for archiving");
        return nullptr;
    }
    KivKeyedEncoder child(_state, pathFor(key), level);
    object->encodeWithCoder(child);
    nlohmann::json stored = std::move(child._stored);
    stored[std::string(KivArchiveValue::kClassKey)] = *name;
    return stored;
}

void KivKeyedEncoder::encodeObject(const KivArchivable* object, std::string_view key) {
    if (object == nullptr) {
        return;
    }
    put(archivedObject(object, key, _depth + 1), key);
}

std::optional<std::string> KivKeyedEncoder::archivedText() const {
    if (failed()) {
        return std::nullopt;
    }
    return _stored.dump(1, '\t', false, nlohmann::json::error_handler_t::replace);
}
