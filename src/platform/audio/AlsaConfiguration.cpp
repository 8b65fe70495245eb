#include "platform/audio/AlsaConfiguration.h"

#include "foundation/KivEnvironment.h"
#include "foundation/KivLog.h"

#include <alsa/asoundlib.h>

#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace {

// May run on the render thread; logLine queues there without allocating.
void libraryError(const char* file, int line, const char* function, int err, const char* format,
                  ...) {
    if (KivEnvironment::logLevel() < 3) {
        return;
    }
    char message[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    char text[768];
    if (err != 0) {
        std::snprintf(text, sizeof text, "ALSA lib %s:%d:(%s) %s: %s", file, line, function,
                      message, snd_strerror(err));
    } else {
        std::snprintf(text, sizeof text, "ALSA lib %s:%d:(%s) %s", file, line, function, message);
    }
    logLine(text);
}

} // namespace

void AlsaConfiguration::routeLibraryErrorsToLog() {
    static std::once_flag once;
    std::call_once(once, [] { snd_lib_error_set_handler(libraryError); });
}

AlsaConfiguration::AlsaConfiguration(const std::string& extraDefinitions) {
    snd_config_t* system = nullptr;
    int err = snd_config_update_ref(&system);
    if (err < 0) {
        logFormat("Error: the ALSA configuration could not be read: %s", snd_strerror(err));
        err = snd_config_top(&system);
        if (err < 0) {
            return;
        }
    }
    if (extraDefinitions.empty()) {
        _config = system;
        return;
    }
    snd_config_t* merged = nullptr;
    err = snd_config_copy(&merged, system);
    snd_config_unref(system);
    if (err < 0) {
        logFormat("Error: the ALSA configuration could not be copied: %s", snd_strerror(err));
        return;
    }
    snd_config_t* extra = nullptr;
    err = snd_config_load_string(&extra, extraDefinitions.c_str(), extraDefinitions.size());
    if (err < 0) {
        logFormat("Error: the extra ALSA configuration does not parse: %s", snd_strerror(err));
    } else {
        // Merging without override adds to the system's compounds ("pcm")
        // instead of replacing them; the merge takes over `extra`.
        err = snd_config_merge(merged, extra, 0);
        if (err < 0) {
            logFormat("Error: the extra ALSA configuration could not be merged: %s",
                      snd_strerror(err));
        }
    }
    _config = merged;
    _copied = true;
}

AlsaConfiguration::~AlsaConfiguration() {
    if (_config && _copied) {
        snd_config_delete(_config);
    } else if (_config) {
        snd_config_unref(_config);
    }
}

int AlsaConfiguration::openPlayback(snd_pcm_t** pcm, const std::string& name,
                                    bool nonBlocking) const {
    if (!_config) {
        return -ENOENT;
    }
    return snd_pcm_open_lconf(pcm, name.c_str(), SND_PCM_STREAM_PLAYBACK,
                              nonBlocking ? SND_PCM_NONBLOCK : 0, _config);
}
