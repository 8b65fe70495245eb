#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

// The stored JSON form of property-list values (the settings state, hot-key
// descriptors, effect settings, and everything a keyed coder writes).
//
// In memory a value is an nlohmann::json holding null, booleans, integers,
// doubles, UTF-8 strings, bytes (json binary), arrays and dictionaries. Stored:
//   - bytes become {"$data": "<base64>"};
//   - an archived object is {"$class": "<name>", ...its keys};
//   - a dictionary key or coder key starting with "$" is written with one more
//     "$", so "$data" and "$class" are never confused with a key;
//   - doubles are written with the shortest text that reads back to the same
//     bits (-0.0 included); non-finite numbers cannot be stored and are refused;
//   - text that is not valid UTF-8 is stored with U+FFFD in place of each bad part.
namespace KivArchiveValue {

// Nesting limit of stored JSON (objects and arrays), checked on both sides so
// that neither a hostile document nor a cyclic object graph recurses without end.
inline constexpr int kMaximumDepth = 100;

inline constexpr std::string_view kClassKey = "$class";
inline constexpr std::string_view kDataKey = "$data";

std::string storedKey(std::string_view key);
// Sets `ok` false for a stored key that begins with a single "$": that is a
// marker, never a key of ours.
std::string keyFromStoredKey(std::string_view stored, bool& ok);

// `depth` is the nesting of the value's container. Return false with `error`
// set (and `stored` unspecified) when the value cannot be stored.
bool toStored(const nlohmann::json& value, nlohmann::json& stored, std::string& error,
              int depth = 0);
bool fromStored(const nlohmann::json& stored, nlohmann::json& value, std::string& error,
                int depth = 0);

// The deepest nesting of "[" and "{" outside strings, stopping early once it
// passes `limit`. Lets a decoder refuse deep text before the parser sees it.
int nestingDepth(std::string_view text, int limit);

// The JSON type as the error messages name it.
const char* typeName(const nlohmann::json& value);

} // namespace KivArchiveValue
