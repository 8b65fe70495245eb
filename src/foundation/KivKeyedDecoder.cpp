#include "foundation/KivKeyedDecoder.h"

#include "foundation/KivArchiveValue.h"
#include "foundation/KivUTF8.h"

#include <charconv>
#include <cmath>
#include <exception>
#include <limits>

struct KivKeyedDecoder::State {
    const KivClassRegistry* registry = nullptr;
    nlohmann::json root = nlohmann::json::object();
    std::string error;
};

namespace {

using Type = nlohmann::json::value_t;

bool isFiniteNumber(const nlohmann::json& value) {
    if (value.is_number_float()) {
        return std::isfinite(value.get<double>());
    }
    return value.is_number() || value.is_boolean();
}

double numberOf(const nlohmann::json& value) {
    return value.is_boolean() ? (value.get<bool>() ? 1.0 : 0.0) : value.get<double>();
}

// Integral value of a stored number, or false when it has a fraction or does
// not fit in 64 bits.
bool integralValue(const nlohmann::json& value, std::int64_t& result, bool& tooLarge) {
    tooLarge = false;
    switch (value.type()) {
    case Type::boolean:
        result = value.get<bool>() ? 1 : 0;
        return true;
    case Type::number_integer:
        result = value.get<std::int64_t>();
        return true;
    case Type::number_unsigned: {
        const auto unsignedValue = value.get<std::uint64_t>();
        if (unsignedValue > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
            tooLarge = true;
            return false;
        }
        result = static_cast<std::int64_t>(unsignedValue);
        return true;
    }
    case Type::number_float: {
        const double d = value.get<double>();
        if (!std::isfinite(d) || std::trunc(d) != d) {
            return false;
        }
        // 2^63 is the first double past the int64 range.
        if (d < -9223372036854775808.0 || d >= 9223372036854775808.0) {
            tooLarge = true;
            return false;
        }
        result = static_cast<std::int64_t>(d);
        return true;
    }
    default:
        return false;
    }
}

} // namespace

KivKeyedDecoder KivKeyedDecoder::decoderForText(std::string_view text,
                                                const KivClassRegistry& registry) {
    KivKeyedDecoder decoder(nlohmann::json::object(), registry);
    if (KivArchiveValue::nestingDepth(text, KivArchiveValue::kMaximumDepth) >
        KivArchiveValue::kMaximumDepth) {
        decoder.fail("the archive nests deeper than " +
                     std::to_string(KivArchiveValue::kMaximumDepth) + " levels");
        return decoder;
    }
    nlohmann::json parsed;
    try {
        parsed = nlohmann::json::parse(KivUTF8::sanitized(text));
    } catch (const std::exception& e) {
        decoder.fail(std::string("the archive is not valid JSON: ") + e.what());
        return decoder;
    }
    if (!parsed.is_object()) {
        decoder.fail(std::string("the archive is not a keyed archive: found ") +
                     KivArchiveValue::typeName(parsed) + " where an object was expected");
        return decoder;
    }
    decoder._state->root = std::move(parsed);
    return decoder;
}

KivKeyedDecoder::KivKeyedDecoder(nlohmann::json storedForm, const KivClassRegistry& registry)
    : _state(std::make_shared<State>()) {
    _state->registry = &registry;
    if (storedForm.is_object()) {
        _state->root = std::move(storedForm);
    } else {
        fail(std::string("the archive is not a keyed archive: found ") +
             KivArchiveValue::typeName(storedForm) + " where an object was expected");
    }
    _stored = &_state->root;
}

KivKeyedDecoder::KivKeyedDecoder(std::shared_ptr<State> state, const nlohmann::json* storedForm,
                                 std::string path, int depth)
    : _state(std::move(state))
    , _stored(storedForm)
    , _path(std::move(path))
    , _depth(depth) {}

void KivKeyedDecoder::failWithError(std::string message) const {
    fail(_path.empty() ? std::move(message) : _path + ": " + message);
}

void KivKeyedDecoder::fail(std::string message) const {
    if (_state->error.empty()) {
        _state->error = std::move(message);
    }
}

bool KivKeyedDecoder::failed() const {
    return !_state->error.empty();
}

std::string KivKeyedDecoder::error() const {
    return _state->error;
}

std::string KivKeyedDecoder::pathFor(std::string_view key) const {
    return _path.empty() ? std::string(key) : _path + "." + std::string(key);
}

const nlohmann::json* KivKeyedDecoder::find(std::string_view key) const {
    const auto it = _stored->find(KivArchiveValue::storedKey(key));
    return it == _stored->end() ? nullptr : &*it;
}

bool KivKeyedDecoder::containsValueForKey(std::string_view key) const {
    return find(key) != nullptr;
}

void KivKeyedDecoder::wrongType(std::string_view key, const char* expected,
                                const nlohmann::json& found) const {
    fail(pathFor(key) + ": expected " + expected + ", found " + KivArchiveValue::typeName(found));
}

bool KivKeyedDecoder::expect(const nlohmann::json& stored, nlohmann::json::value_t type,
                             std::string_view key) const {
    if (stored.type() == type) {
        return true;
    }
    wrongType(key, type == Type::array ? "an array" : "a dictionary", stored);
    return false;
}

bool KivKeyedDecoder::withinCount(const nlohmann::json& stored, std::size_t maximumCount,
                                  std::string_view key) const {
    if (stored.size() <= maximumCount) {
        return true;
    }
    fail(pathFor(key) + ": more than " + std::to_string(maximumCount) + " entries");
    return false;
}

bool KivKeyedDecoder::decodeBoolForKey(std::string_view key) const {
    const nlohmann::json* stored = find(key);
    if (stored == nullptr) {
        return false;
    }
    if (stored->is_boolean()) {
        return stored->get<bool>();
    }
    if (stored->is_number()) {
        return stored->get<double>() != 0.0;
    }
    wrongType(key, "a boolean", *stored);
    return false;
}

std::int64_t KivKeyedDecoder::decodeInt64ForKey(std::string_view key) const {
    const nlohmann::json* stored = find(key);
    if (stored == nullptr) {
        return 0;
    }
    std::int64_t value = 0;
    bool tooLarge = false;
    if (integralValue(*stored, value, tooLarge)) {
        return value;
    }
    if (tooLarge) {
        fail(pathFor(key) + ": the integer is out of the 64-bit range");
    } else {
        wrongType(key, "an integer", *stored);
    }
    return 0;
}

std::int32_t KivKeyedDecoder::decodeInt32ForKey(std::string_view key) const {
    const nlohmann::json* stored = find(key);
    if (stored == nullptr) {
        return 0;
    }
    std::int64_t value = 0;
    bool tooLarge = false;
    if (integralValue(*stored, value, tooLarge)) {
        if (value >= std::numeric_limits<std::int32_t>::min() &&
            value <= std::numeric_limits<std::int32_t>::max()) {
            return static_cast<std::int32_t>(value);
        }
        tooLarge = true;
    }
    if (tooLarge) {
        fail(pathFor(key) + ": the integer is out of the 32-bit range");
    } else {
        wrongType(key, "an integer", *stored);
    }
    return 0;
}

double KivKeyedDecoder::decodeDoubleForKey(std::string_view key) const {
    const nlohmann::json* stored = find(key);
    if (stored == nullptr) {
        return 0.0;
    }
    if (!isFiniteNumber(*stored)) {
        wrongType(key, "a number", *stored);
        return 0.0;
    }
    return numberOf(*stored);
}

float KivKeyedDecoder::decodeFloatForKey(std::string_view key) const {
    const nlohmann::json* stored = find(key);
    if (stored == nullptr) {
        return 0.0f;
    }
    if (!isFiniteNumber(*stored)) {
        wrongType(key, "a number", *stored);
        return 0.0f;
    }
    const double value = numberOf(*stored);
    if (std::abs(value) > static_cast<double>(std::numeric_limits<float>::max())) {
        fail(pathFor(key) + ": the number is out of the float range");
        return 0.0f;
    }
    return static_cast<float>(value);
}

std::string KivKeyedDecoder::decodeStringForKey(std::string_view key,
                                                std::size_t maximumSize) const {
    const nlohmann::json* stored = find(key);
    if (stored == nullptr) {
        return {};
    }
    if (!stored->is_string()) {
        wrongType(key, "a string", *stored);
        return {};
    }
    const std::string& text = stored->get_ref<const std::string&>();
    if (text.size() > maximumSize) {
        fail(pathFor(key) + ": longer than " + std::to_string(maximumSize) + " bytes");
        return {};
    }
    return KivUTF8::sanitized(text);
}

nlohmann::json KivKeyedDecoder::decodeValueForKey(std::string_view key) const {
    const nlohmann::json* stored = find(key);
    if (stored == nullptr) {
        return nullptr;
    }
    nlohmann::json value;
    std::string error;
    if (!KivArchiveValue::fromStored(*stored, value, error, _depth)) {
        fail(pathFor(key) + ": " + error);
        return nullptr;
    }
    return value;
}

std::vector<std::uint8_t> KivKeyedDecoder::decodeBytesForKey(std::string_view key) const {
    const nlohmann::json* stored = find(key);
    if (stored == nullptr) {
        return {};
    }
    if (!stored->is_object() || !stored->contains(KivArchiveValue::kDataKey)) {
        wrongType(key, "data", *stored);
        return {};
    }
    nlohmann::json value = decodeValueForKey(key);
    if (!value.is_binary()) {
        return {};
    }
    return std::move(value.get_binary());
}

std::shared_ptr<KivArchivable> KivKeyedDecoder::decodeObject(const nlohmann::json& stored,
                                                             const std::string& path,
                                                             int level) const {
    if (!stored.is_object()) {
        fail(path + ": expected an archived object, found " + KivArchiveValue::typeName(stored));
        return nullptr;
    }
    const auto name = stored.find(KivArchiveValue::kClassKey);
    if (name == stored.end() || !name->is_string()) {
        fail(path + ": expected an archived object, found a dictionary without \"" +
             std::string(KivArchiveValue::kClassKey) + "\"");
        return nullptr;
    }
    if (level > KivArchiveValue::kMaximumDepth) {
        fail(path + ": nesting deeper than " + std::to_string(KivArchiveValue::kMaximumDepth) +
             " levels");
        return nullptr;
    }
    const std::string& className = name->get_ref<const std::string&>();
    const auto decode = _state->registry->decoderForClassName(className);
    if (!decode) {
        fail(path + ": unknown archived class \"" + KivUTF8::sanitized(className) + "\"");
        return nullptr;
    }
    const KivKeyedDecoder child(_state, &stored, path, level);
    std::shared_ptr<KivArchivable> object;
    try {
        object = decode(child);
    } catch (const std::exception& e) {
        fail(path + ": decoding \"" + className + "\" failed: " + e.what());
        return nullptr;
    }
    if (!object) {
        fail(path + ": the \"" + className + "\" archive could not be decoded");
    }
    return object;
}

bool KivKeyedDecoder::parseIndex(const std::string& text, std::int64_t& index) {
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (text.empty() || text.front() == '+') {
        return false;
    }
    const auto [ptr, ec] = std::from_chars(begin, end, index);
    return ec == std::errc() && ptr == end;
}
