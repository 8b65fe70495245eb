#pragma once

#include <string>
#include <string_view>

namespace KivUTF8 {

// The text with every ill-formed UTF-8 sequence (stray continuation bytes,
// overlong forms, surrogates, code points past U+10FFFF, truncated sequences)
// replaced by U+FFFD, one replacement per maximal ill-formed part.
std::string sanitized(std::string_view text);

bool isValid(std::string_view text);

// Every character mapped to its upper case by Unicode's simple (one to one)
// mapping, whatever the process's locale; ill-formed sequences are replaced
// first, as by sanitized().
std::string upperCased(std::string_view text);

// The character's UTF-8 sequence added to the end of `text`.
void append(std::string& text, char32_t c);

} // namespace KivUTF8
