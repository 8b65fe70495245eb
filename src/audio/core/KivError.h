#pragma once

#include <cstdint>
#include <string>

// An error the engine returns instead of showing: a domain, the status code,
// and, where the user should see it, the message and informative text the
// window layer puts in its alert. Empty means no error.
struct KivError {
    std::string domain;
    std::int32_t code = 0;
    std::string description;
    std::string informativeText;

    explicit operator bool() const { return !domain.empty(); }
    void clear() { *this = KivError{}; }
};

inline constexpr const char* kKivEffectErrorDomain = "KivEffectErrorDomain";
inline constexpr const char* kAUGraphErrorDomain = "AUGraphErrorDomain";
inline constexpr const char* kAudioUnitErrorDomain = "AudioUnitErrorDomain";
inline constexpr const char* kComponentMgrErrorDomain = "ComponentMgrErrorDomain";

// Fills `error` (when given) with the domain and status; answers false so a
// failing operation can `return failWith(...)`.
inline bool failWith(KivError* error, const char* domain, std::int32_t status,
                     std::string description = {}, std::string informativeText = {}) {
    if (error != nullptr) {
        *error = KivError{domain, status, std::move(description), std::move(informativeText)};
    }
    return false;
}
