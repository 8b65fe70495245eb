#pragma once

#include "platform/audio/AudioDeviceInfo.h"

#include <string>
#include <vector>

class AlsaConfiguration;

// Lists the playback devices ALSA offers, in a stable order: one per playback
// PCM of each card (UID "hw:CARD=<id>,DEV=<n>", since a card id survives
// reboots where its index may not), then "default", then "pipewire" and
// "pulse" when ALSA lists them, then `extraPcms`. Channels and rates come from
// a non-blocking probe; a device that is busy (a sound server, or our own
// stream) keeps its entry of `previous`, or is listed with stereo at 48 kHz.
// A named PCM that cannot be opened at all is left out.
std::vector<AudioDeviceInfo> enumerateAlsaDevices(const AlsaConfiguration& configuration,
                                                  const std::vector<std::string>& extraPcms,
                                                  const std::vector<AudioDeviceInfo>& previous);

// The channels a device is listed with, from the counts its PCM takes. A
// card's PCM has the card's own count. A named PCM ("default", a sound
// server's) converts into the layout behind it and takes any count up to a
// limit of its own (PipeWire's 64, PulseAudio's 32, plug's thousands), which
// is no count of any output: it plays stereo where it takes two channels.
std::uint32_t alsaListedChannels(unsigned minimum, unsigned maximum, bool card);

// The PCM name a stream opens for a UID: a card's PCM through the "plughw"
// converter (cards rarely take float), anything else as it is named.
std::string alsaPcmNameForUID(const std::string& uid);

// Whether two lists hold the same UIDs in the same order.
bool sameDeviceUIDs(const std::vector<AudioDeviceInfo>& a, const std::vector<AudioDeviceInfo>& b);

// The buffer size ALSA devices are listed with, so their streams open at it:
// the user's PONDRA_BUFFER_FRAMES (read once; Linux keeps no buffer setting
// for a device), else 512. The device's own range bounds it.
std::uint32_t alsaDefaultBufferFrames();
// What a PONDRA_BUFFER_FRAMES text gives: a whole number of frames from 16 to
// 8192; anything else (or no text) gives 512.
std::uint32_t bufferFramesFromText(const char* text);
