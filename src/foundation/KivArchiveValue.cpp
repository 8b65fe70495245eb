#include "foundation/KivArchiveValue.h"

#include "foundation/KivBase64.h"
#include "foundation/KivUTF8.h"

#include <cmath>

namespace KivArchiveValue {

namespace {

std::string tooDeep() {
    return "nesting deeper than " + std::to_string(kMaximumDepth) + " levels";
}

} // namespace

std::string storedKey(std::string_view key) {
    std::string stored = KivUTF8::sanitized(key);
    if (!stored.empty() && stored.front() == '$') {
        stored.insert(stored.begin(), '$');
    }
    return stored;
}

std::string keyFromStoredKey(std::string_view stored, bool& ok) {
    ok = true;
    if (!stored.empty() && stored.front() == '$') {
        if (stored.size() < 2 || stored[1] != '$') {
            ok = false;
            return {};
        }
        stored.remove_prefix(1);
    }
    return KivUTF8::sanitized(stored);
}

bool toStored(const nlohmann::json& value, nlohmann::json& stored, std::string& error, int depth) {
    using Type = nlohmann::json::value_t;
    switch (value.type()) {
    case Type::null:
    case Type::boolean:
    case Type::number_integer:
    case Type::number_unsigned:
        stored = value;
        return true;
    case Type::number_float:
        if (!std::isfinite(value.get<double>())) {
            error = "a non-finite number cannot be archived";
            return false;
        }
        stored = value;
        return true;
    case Type::string:
        stored = KivUTF8::sanitized(value.get_ref<const std::string&>());
        return true;
    case Type::binary: {
        if (depth >= kMaximumDepth) {
            error = tooDeep();
            return false;
        }
        const auto& bytes = value.get_binary();
        stored = nlohmann::json::object();
        stored[std::string(kDataKey)] = KivBase64::encoded(bytes);
        return true;
    }
    case Type::array:
        if (depth >= kMaximumDepth) {
            error = tooDeep();
            return false;
        }
        stored = nlohmann::json::array();
        for (const auto& element : value) {
            nlohmann::json storedElement;
            if (!toStored(element, storedElement, error, depth + 1)) {
                return false;
            }
            stored.push_back(std::move(storedElement));
        }
        return true;
    case Type::object:
        if (depth >= kMaximumDepth) {
            error = tooDeep();
            return false;
        }
        stored = nlohmann::json::object();
        for (const auto& [key, element] : value.items()) {
            nlohmann::json storedElement;
            if (!toStored(element, storedElement, error, depth + 1)) {
                error = "\"" + KivUTF8::sanitized(key) + "\": " + error;
                return false;
            }
            stored[storedKey(key)] = std::move(storedElement);
        }
        return true;
    case Type::discarded:
        break;
    }
    error = "a discarded value cannot be archived";
    return false;
}

bool fromStored(const nlohmann::json& stored, nlohmann::json& value, std::string& error,
                int depth) {
    using Type = nlohmann::json::value_t;
    switch (stored.type()) {
    case Type::null:
    case Type::boolean:
    case Type::number_integer:
    case Type::number_unsigned:
        value = stored;
        return true;
    case Type::number_float:
        if (!std::isfinite(stored.get<double>())) {
            error = "a non-finite number";
            return false;
        }
        value = stored;
        return true;
    case Type::string:
        value = KivUTF8::sanitized(stored.get_ref<const std::string&>());
        return true;
    case Type::array:
        if (depth >= kMaximumDepth) {
            error = tooDeep();
            return false;
        }
        value = nlohmann::json::array();
        for (const auto& element : stored) {
            nlohmann::json decoded;
            if (!fromStored(element, decoded, error, depth + 1)) {
                return false;
            }
            value.push_back(std::move(decoded));
        }
        return true;
    case Type::object: {
        if (depth >= kMaximumDepth) {
            error = tooDeep();
            return false;
        }
        if (stored.contains(kClassKey)) {
            error = "an archived object where a plain value was expected";
            return false;
        }
        if (const auto data = stored.find(kDataKey); data != stored.end()) {
            if (stored.size() != 1 || !data->is_string()) {
                error = "malformed data: expected {\"$data\": \"<base64>\"}";
                return false;
            }
            auto bytes = KivBase64::decoded(data->get_ref<const std::string&>());
            if (!bytes) {
                error = "malformed data: not base64";
                return false;
            }
            value = nlohmann::json::binary(std::move(*bytes));
            return true;
        }
        value = nlohmann::json::object();
        for (const auto& [storedName, element] : stored.items()) {
            bool ok = false;
            std::string key = keyFromStoredKey(storedName, ok);
            if (!ok) {
                error = "unknown marker \"" + KivUTF8::sanitized(storedName) + "\"";
                return false;
            }
            nlohmann::json decoded;
            if (!fromStored(element, decoded, error, depth + 1)) {
                error = "\"" + key + "\": " + error;
                return false;
            }
            value[key] = std::move(decoded);
        }
        return true;
    }
    case Type::binary:
        value = stored;
        return true;
    case Type::discarded:
        break;
    }
    error = "a discarded value";
    return false;
}

int nestingDepth(std::string_view text, int limit) {
    int depth = 0;
    int deepest = 0;
    bool inString = false;
    bool escaped = false;
    for (const char c : text) {
        if (inString) {
            if (escaped) {
                escaped = false;
            } else if (c == '\\') {
                escaped = true;
            } else if (c == '"') {
                inString = false;
            }
            continue;
        }
        if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            deepest = std::max(deepest, ++depth);
            if (deepest > limit) {
                return deepest;
            }
        } else if ((c == ']' || c == '}') && depth > 0) {
            --depth;
        }
    }
    return deepest;
}

const char* typeName(const nlohmann::json& value) {
    switch (value.type()) {
    case nlohmann::json::value_t::number_integer:
    case nlohmann::json::value_t::number_unsigned:
        return "integer";
    case nlohmann::json::value_t::number_float:
        return "number";
    case nlohmann::json::value_t::binary:
        return "data";
    default:
        return value.type_name();
    }
}

} // namespace KivArchiveValue
