#include "foundation/KivStatusError.h"

#include "foundation/KivLog.h"

#include <cstring>

void statusCharacters(std::int32_t status, char out[5]) {
    unsigned char bytes[4];
    std::memcpy(bytes, &status, sizeof bytes);
    int n = 0;
    for (unsigned char byte : bytes) {
        if (byte == 0) {
            break;
        }
        out[n++] = (byte >= 0x20 && byte < 0x7f) ? static_cast<char>(byte) : '?';
    }
    out[n] = '\0';
}

void logStatusError(std::int32_t status, const char* text, const char* operation, int line) {
    char chars[5];
    statusCharacters(status, chars);
    logFormat("Error: %d [%4.4s] %s | %s [line %d]\n", status, chars, text, operation, line);
}

void logStatusError(std::int32_t status, const char* operation, int line) {
    char chars[5];
    statusCharacters(status, chars);
    logFormat("Error: %d [%4.4s] | %s [line %d]\n", status, chars, operation, line);
}
