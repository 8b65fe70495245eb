#pragma once

#include <string>

typedef struct _snd_config snd_config_t;
typedef struct _snd_pcm snd_pcm_t;

// The ALSA configuration PCMs are opened with: the system's, plus the
// definitions of an optional configuration text (so tests can describe a
// "file" or "null" PCM without touching any file of the system).
class AlsaConfiguration {
public:
    // An extra text that does not parse is logged and left out.
    explicit AlsaConfiguration(const std::string& extraDefinitions = {});
    ~AlsaConfiguration();
    AlsaConfiguration(const AlsaConfiguration&) = delete;
    AlsaConfiguration& operator=(const AlsaConfiguration&) = delete;

    // snd_pcm_open with this configuration: 0 or a negative errno.
    int openPlayback(snd_pcm_t** pcm, const std::string& name, bool nonBlocking) const;

    // Routes alsa-lib's own error chatter into our log as trace lines, once
    // per process.
    static void routeLibraryErrorsToLog();

private:
    snd_config_t* _config = nullptr;
    bool _copied = false; // our own merged copy rather than a reference to the system's
};
