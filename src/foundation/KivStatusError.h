#pragma once

#include <cstdint>

// Logs a failed platform call as
//   "Error: <status> [<four chars>] <text> | <operation> [line <n>]"
// where the four characters are the status's bytes as they lie in memory,
// least significant first. Without text: "Error: <status> [<chars>] | ...".
// The console is flushed after the line.
void logStatusError(std::int32_t status, const char* text, const char* operation, int line);
void logStatusError(std::int32_t status, const char* operation, int line);

// The four characters as the error line shows them: bytes in memory order up
// to the first zero byte; a byte that is not printable ASCII shows as '?', so
// a status never writes control bytes or broken UTF-8 to the console.
void statusCharacters(std::int32_t status, char out[5]);
