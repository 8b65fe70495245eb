#include "audio/device/KivAudioDevice.h"

#include <cstdio>

void KivAudioDevice::printVolumes() const {
    const std::optional<std::string> text = _mixer.gainsText();
    if (!text) {
        return;
    }
    std::fputs(text->c_str(), stdout);
    std::fflush(stdout);
}

void KivAudioDevice::fadeToMasterVolume(float volume, double time) {
    _fades->fadeTo(volume, time);
}

void KivAudioDevice::useSteppedFades(const Clock& clock) {
    _fades->endFades();
    _fades = std::make_unique<KivFadeRunner>(static_cast<KivFadeTarget&>(*this), clock,
                                             KivFadeRunner::Mode::Stepped);
}

std::size_t KivAudioDevice::stepFades() {
    return _fades->stepFades();
}
