#pragma once

#include "platform/midi/MidiMessage.h"

#include <alsa/asoundlib.h>

#include <optional>

// The channel voice message an ALSA sequencer event stands for. Nothing for
// other events (clock, system exclusive, announcements, 14-bit controllers,
// parameter numbers) and for a voice event whose channel or data lie outside
// MIDI's range.
std::optional<MidiMessage> messageFromSequencerEvent(const snd_seq_event_t& event);

// A note, key pressure, controller, program, channel pressure or pitch-bend
// event: one that should translate, so a failure is worth a warning.
bool isChannelVoiceEvent(const snd_seq_event_t& event);

// A client or port appeared, went away or changed, as the System Announce
// port reports it: time to look at the sources again. Subscriptions coming
// and going do not count, or our own subscribing would wake us again.
bool isSetupChangeEvent(const snd_seq_event_t& event);
