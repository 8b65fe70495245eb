#include "platform/audio/AlsaEnumeration.h"

#include "foundation/KivEnvironment.h"
#include "foundation/KivLog.h"
#include "platform/audio/AlsaConfiguration.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

constexpr std::uint32_t kBusyChannels = 2;
constexpr double kBusyRate = 48000.0;
// A converting PCM reports an unbounded channel range; it has no native count.
constexpr unsigned kMaxNativeChannels = 64;
constexpr std::uint32_t kStereo = 2;
constexpr std::uint32_t kDefaultBufferFrames = 512;

void trace(const char* format, const std::string& name, int err) {
    if (KivEnvironment::logLevel() >= 3) {
        logFormat(format, name.c_str(), snd_strerror(err));
    }
}

// Fills channels, rate and buffer sizes from the PCM's hardware ranges; a
// card's PCM or a named one (see alsaListedChannels). Answers 0, or the
// negative errno of the open or the query.
int probe(const AlsaConfiguration& configuration, const std::string& pcmName, bool card,
          AudioDeviceInfo& info) {
    snd_pcm_t* pcm = nullptr;
    int err = configuration.openPlayback(&pcm, pcmName, true);
    if (err < 0) {
        return err;
    }
    snd_pcm_hw_params_t* params = nullptr;
    snd_pcm_hw_params_alloca(&params);
    err = snd_pcm_hw_params_any(pcm, params);
    if (err >= 0) {
        unsigned minimum = 0;
        unsigned maximum = 0;
        snd_pcm_hw_params_get_channels_min(params, &minimum);
        snd_pcm_hw_params_get_channels_max(params, &maximum);
        info.outputChannels = alsaListedChannels(minimum, maximum, card);
        if (snd_pcm_hw_params_test_rate(pcm, params, 48000, 0) == 0) {
            info.nominalSampleRate = 48000.0;
        } else if (snd_pcm_hw_params_test_rate(pcm, params, 44100, 0) == 0) {
            info.nominalSampleRate = 44100.0;
        } else {
            unsigned rate = 0;
            int dir = 0;
            snd_pcm_hw_params_get_rate_max(params, &rate, &dir);
            info.nominalSampleRate = rate;
        }
        snd_pcm_uframes_t minFrames = 0;
        snd_pcm_uframes_t maxFrames = 0;
        int dir = 0;
        snd_pcm_hw_params_get_period_size_min(params, &minFrames, &dir);
        snd_pcm_hw_params_get_period_size_max(params, &maxFrames, &dir);
        info.minBufferSizeInFrames =
            static_cast<std::uint32_t>(std::max<snd_pcm_uframes_t>(minFrames, 16));
        info.maxBufferSizeInFrames =
            static_cast<std::uint32_t>(std::min<snd_pcm_uframes_t>(maxFrames, 8192));
        if (info.maxBufferSizeInFrames < info.minBufferSizeInFrames) {
            info.maxBufferSizeInFrames = info.minBufferSizeInFrames;
        }
        info.bufferSizeInFrames = std::clamp(alsaDefaultBufferFrames(), info.minBufferSizeInFrames,
                                             info.maxBufferSizeInFrames);
    }
    snd_pcm_close(pcm);
    return err < 0 ? err : 0;
}

struct Scan {
    const AlsaConfiguration& configuration;
    const std::vector<AudioDeviceInfo>& previous;
    std::vector<AudioDeviceInfo> devices;
};

void fillBusy(const Scan& scan, AudioDeviceInfo& info) {
    for (const AudioDeviceInfo& known : scan.previous) {
        if (known.uid == info.uid) {
            info = known;
            return;
        }
    }
    info.outputChannels = kBusyChannels;
    info.nominalSampleRate = kBusyRate;
    info.minBufferSizeInFrames = 64;
    info.maxBufferSizeInFrames = 4096;
    info.bufferSizeInFrames = std::clamp(alsaDefaultBufferFrames(), info.minBufferSizeInFrames,
                                         info.maxBufferSizeInFrames);
}

void addCardDevices(Scan& scan, int card) {
    char control[32];
    std::snprintf(control, sizeof control, "hw:%d", card);
    snd_ctl_t* ctl = nullptr;
    int err = snd_ctl_open(&ctl, control, SND_CTL_NONBLOCK);
    if (err < 0) {
        trace("ALSA card %s could not be opened: %s", control, err);
        return;
    }
    snd_ctl_card_info_t* cardInfo = nullptr;
    snd_ctl_card_info_alloca(&cardInfo);
    if ((err = snd_ctl_card_info(ctl, cardInfo)) < 0) {
        trace("ALSA card %s gives no information: %s", control, err);
        snd_ctl_close(ctl);
        return;
    }
    const std::string cardId = snd_ctl_card_info_get_id(cardInfo);
    const std::string cardName = snd_ctl_card_info_get_name(cardInfo);
    const std::string driver = snd_ctl_card_info_get_driver(cardInfo);

    snd_pcm_info_t* pcmInfo = nullptr;
    snd_pcm_info_alloca(&pcmInfo);
    int device = -1;
    while (snd_ctl_pcm_next_device(ctl, &device) >= 0 && device >= 0) {
        snd_pcm_info_set_device(pcmInfo, static_cast<unsigned>(device));
        snd_pcm_info_set_subdevice(pcmInfo, 0);
        snd_pcm_info_set_stream(pcmInfo, SND_PCM_STREAM_PLAYBACK);
        if (snd_ctl_pcm_info(ctl, pcmInfo) < 0) {
            continue; // a capture-only PCM
        }
        AudioDeviceInfo info;
        info.uid = "hw:CARD=" + cardId + ",DEV=" + std::to_string(device);
        info.name = cardName + ": " + snd_pcm_info_get_name(pcmInfo);
        info.modelUID = driver;
        err = probe(scan.configuration, info.uid, true, info);
        if (err < 0 && err != -EBUSY && err != -EAGAIN) {
            trace("ALSA device %s could not be probed: %s", info.uid, err);
        }
        if (err < 0) {
            fillBusy(scan, info);
        }
        scan.devices.push_back(std::move(info));
    }
    snd_ctl_close(ctl);
}

// The hinted PCM names with the first line of their descriptions.
std::vector<std::pair<std::string, std::string>> hintedPcms() {
    std::vector<std::pair<std::string, std::string>> result;
    void** hints = nullptr;
    if (snd_device_name_hint(-1, "pcm", &hints) < 0) {
        return result;
    }
    for (void** hint = hints; *hint; ++hint) {
        std::unique_ptr<char, decltype(&free)> name(snd_device_name_get_hint(*hint, "NAME"), free);
        std::unique_ptr<char, decltype(&free)> desc(snd_device_name_get_hint(*hint, "DESC"), free);
        if (!name) {
            continue;
        }
        std::string description = desc ? desc.get() : "";
        description = description.substr(0, description.find('\n'));
        result.emplace_back(name.get(), description);
    }
    snd_device_name_free_hint(hints);
    return result;
}

void addNamedPcm(Scan& scan, const std::string& pcmName, const std::string& description) {
    for (const AudioDeviceInfo& listed : scan.devices) {
        if (listed.uid == pcmName) {
            return;
        }
    }
    AudioDeviceInfo info;
    info.uid = pcmName;
    info.name = description.empty() ? pcmName : description;
    info.modelUID = pcmName;
    const int err = probe(scan.configuration, pcmName, false, info);
    if (err == -EBUSY || err == -EAGAIN) {
        fillBusy(scan, info);
    } else if (err < 0) {
        trace("ALSA PCM %s is not offered: %s", pcmName, err);
        return;
    }
    scan.devices.push_back(std::move(info));
}

} // namespace

std::vector<AudioDeviceInfo> enumerateAlsaDevices(const AlsaConfiguration& configuration,
                                                  const std::vector<std::string>& extraPcms,
                                                  const std::vector<AudioDeviceInfo>& previous) {
    Scan scan{configuration, previous, {}};
    int card = -1;
    while (snd_card_next(&card) >= 0 && card >= 0) {
        addCardDevices(scan, card);
    }

    const auto hints = hintedPcms();
    auto descriptionOf = [&](const std::string& name) {
        for (const auto& [hinted, description] : hints) {
            if (hinted == name) {
                return description;
            }
        }
        return std::string();
    };
    auto hinted = [&](const std::string& name) {
        for (const auto& entry : hints) {
            if (entry.first == name) {
                return true;
            }
        }
        return false;
    };
    addNamedPcm(scan, "default", descriptionOf("default"));
    for (const char* server : {"pipewire", "pulse"}) {
        if (hinted(server)) {
            addNamedPcm(scan, server, descriptionOf(server));
        }
    }
    for (const std::string& name : extraPcms) {
        addNamedPcm(scan, name, descriptionOf(name));
    }
    return std::move(scan.devices);
}

std::uint32_t alsaListedChannels(unsigned minimum, unsigned maximum, bool card) {
    if (!card && minimum <= kStereo && maximum >= kStereo) {
        return kStereo;
    }
    return maximum > kMaxNativeChannels ? kStereo : maximum;
}

std::string alsaPcmNameForUID(const std::string& uid) {
    if (uid.rfind("hw:", 0) == 0) {
        return "plug" + uid;
    }
    return uid;
}

bool sameDeviceUIDs(const std::vector<AudioDeviceInfo>& a, const std::vector<AudioDeviceInfo>& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].uid != b[i].uid) {
            return false;
        }
    }
    return true;
}

std::uint32_t bufferFramesFromText(const char* text) {
    if (text == nullptr || *text < '0' || *text > '9') {
        return kDefaultBufferFrames;
    }
    char* end = nullptr;
    const unsigned long frames = std::strtoul(text, &end, 10);
    if (*end != '\0' || frames < 16 || frames > 8192) {
        return kDefaultBufferFrames;
    }
    return static_cast<std::uint32_t>(frames);
}

std::uint32_t alsaDefaultBufferFrames() {
    static const std::uint32_t frames = bufferFramesFromText(std::getenv("PONDRA_BUFFER_FRAMES"));
    return frames;
}
