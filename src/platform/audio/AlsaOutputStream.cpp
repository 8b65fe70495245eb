#include "platform/audio/AlsaOutputStream.h"

#include "foundation/KivClock.h"
#include "foundation/KivLog.h"
#include "foundation/ThreadRole.h"
#include "platform/audio/AlsaConfiguration.h"
#include "platform/audio/AlsaEnumeration.h"
#include "platform/audio/RealtimeThread.h"

#include <alsa/asoundlib.h>

namespace {

// Two periods: one plays while the next is rendered, so a cue sounds one
// period after the cycle that starts it. A device that takes no two gets the
// nearest count it does take.
constexpr unsigned kPeriods = 2;
constexpr std::uint32_t kMaxPlanes = 64;

int configure(snd_pcm_t* pcm, AudioStreamConfig& config) {
    snd_pcm_hw_params_t* hw = nullptr;
    snd_pcm_hw_params_alloca(&hw);
    int err = snd_pcm_hw_params_any(pcm, hw);
    if (err < 0) {
        return err;
    }
    err = snd_pcm_hw_params_set_access(pcm, hw,
                                       config.interleaved ? SND_PCM_ACCESS_RW_INTERLEAVED
                                                          : SND_PCM_ACCESS_RW_NONINTERLEAVED);
    if (err < 0) {
        return err;
    }
    if ((err = snd_pcm_hw_params_set_format(pcm, hw, SND_PCM_FORMAT_FLOAT)) < 0) {
        return err;
    }
    if ((err = snd_pcm_hw_params_set_channels(pcm, hw, config.channels)) < 0) {
        return err;
    }
    unsigned rate = static_cast<unsigned>(config.sampleRate);
    if ((err = snd_pcm_hw_params_set_rate_near(pcm, hw, &rate, nullptr)) < 0) {
        return err;
    }
    snd_pcm_uframes_t period = config.framesPerBuffer;
    if ((err = snd_pcm_hw_params_set_period_size_near(pcm, hw, &period, nullptr)) < 0) {
        return err;
    }
    unsigned periods = kPeriods;
    if ((err = snd_pcm_hw_params_set_periods_near(pcm, hw, &periods, nullptr)) < 0) {
        return err;
    }
    if ((err = snd_pcm_hw_params(pcm, hw)) < 0) {
        return err;
    }
    snd_pcm_uframes_t bufferFrames = 0;
    snd_pcm_hw_params_get_buffer_size(hw, &bufferFrames);

    snd_pcm_sw_params_t* sw = nullptr;
    snd_pcm_sw_params_alloca(&sw);
    if ((err = snd_pcm_sw_params_current(pcm, sw)) < 0) {
        return err;
    }
    // Start once the buffer is full, so the first periods do not underrun.
    snd_pcm_sw_params_set_start_threshold(pcm, sw, bufferFrames - bufferFrames % period);
    snd_pcm_sw_params_set_avail_min(pcm, sw, period);
    if ((err = snd_pcm_sw_params(pcm, sw)) < 0) {
        return err;
    }
    config.sampleRate = rate;
    config.framesPerBuffer = static_cast<std::uint32_t>(period);
    return 0;
}

} // namespace

std::unique_ptr<AlsaOutputStream> AlsaOutputStream::open(const AlsaConfiguration& configuration,
                                                         const std::string& uid,
                                                         const AudioStreamConfig& requested,
                                                         AudioRenderCallback& callback, Wake wake) {
    if (!requested.interleaved && requested.channels > kMaxPlanes) {
        logFormat("Error: the ALSA device %s cannot take %u separate channels", uid.c_str(),
                  requested.channels);
        return nullptr;
    }
    const std::string pcmName = alsaPcmNameForUID(uid);
    snd_pcm_t* pcm = nullptr;
    int err = configuration.openPlayback(&pcm, pcmName, false);
    if (err < 0) {
        logFormat("Error: the ALSA device %s could not be opened: %s", uid.c_str(),
                  snd_strerror(err));
        return nullptr;
    }
    AudioStreamConfig config = requested;
    err = configure(pcm, config);
    if (err < 0) {
        logFormat("Error: the ALSA device %s does not take %u channels of float at %.0f Hz: %s",
                  uid.c_str(), config.channels, config.sampleRate, snd_strerror(err));
        snd_pcm_close(pcm);
        return nullptr;
    }
    return std::unique_ptr<AlsaOutputStream>(
        new AlsaOutputStream(pcm, uid, config, callback, std::move(wake)));
}

AlsaOutputStream::AlsaOutputStream(snd_pcm_t* pcm, std::string uid, const AudioStreamConfig& config,
                                   AudioRenderCallback& callback, Wake wake)
    : _pcm(pcm)
    , _uid(std::move(uid))
    , _config(config)
    , _callback(callback)
    , _wake(std::move(wake))
    , _buffer(config.channels, config.framesPerBuffer, config.interleaved) {}

AlsaOutputStream::~AlsaOutputStream() {
    stop();
    snd_pcm_close(_pcm);
}

bool AlsaOutputStream::start() {
    if (_thread.joinable()) {
        return true;
    }
    if (_gone) {
        logFormat("Error: the ALSA device %s is gone and cannot start", _uid.c_str());
        return false;
    }
    _running.store(true, std::memory_order_release);
    _thread = std::thread([this] { run(); });
    return true;
}

void AlsaOutputStream::stop() {
    _running.store(false, std::memory_order_release);
    if (_thread.joinable()) {
        _thread.join();
        // Drop what is queued, and be ready for the next start.
        snd_pcm_drop(_pcm);
        snd_pcm_prepare(_pcm);
    }
}

void AlsaOutputStream::run() {
    ScopedThreadRole role(ThreadRole::Render);
    requestRealtimeScheduling("ALSA output");
    while (_running.load(std::memory_order_acquire) && renderCycle()) {
    }
}

bool AlsaOutputStream::renderCycle() {
    if (_gone) {
        return false;
    }
    const AudioOutputBuffer buffer = _buffer.prepare(_config.framesPerBuffer);
    _callback.render(AudioRenderTime{_sampleTime, HostTimeNow()}, buffer);
    _sampleTime += buffer.frames;
    if (!write(buffer)) {
        _gone = true;
        _died.store(true, std::memory_order_release);
        if (_wake) {
            _wake();
        }
        return false;
    }
    return true;
}

bool AlsaOutputStream::write(const AudioOutputBuffer& buffer) {
    std::uint32_t done = 0;
    while (done < buffer.frames) {
        snd_pcm_sframes_t written;
        if (buffer.interleaved) {
            written =
                snd_pcm_writei(_pcm, buffer.data[0] + done * buffer.channels, buffer.frames - done);
        } else {
            void* planes[kMaxPlanes];
            for (std::uint32_t c = 0; c < buffer.channels; ++c) {
                planes[c] = buffer.data[c] + done;
            }
            written = snd_pcm_writen(_pcm, planes, buffer.frames - done);
        }
        if (written >= 0) {
            done += static_cast<std::uint32_t>(written);
            continue;
        }
        if (written == -EPIPE) {
            // An underrun: count it as an overload and carry on.
            _overloaded.store(true, std::memory_order_release);
            if (_wake) {
                _wake();
            }
            if (snd_pcm_prepare(_pcm) < 0) {
                return false;
            }
        } else if (written == -ESTRPIPE) {
            // Resumed from suspend; a device that cannot resume starts over.
            if (snd_pcm_resume(_pcm) < 0 && snd_pcm_prepare(_pcm) < 0) {
                return false;
            }
        } else if (written == -EINTR || written == -EAGAIN) {
            continue;
        } else {
            return false; // -ENODEV, -EBADFD, -EIO: the device is gone
        }
    }
    return true;
}
