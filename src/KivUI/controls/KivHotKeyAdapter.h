#pragma once

#include "foundation/KivKeyEvent.h"

#include <optional>

class QKeyEvent;

// Turns Qt key events into the KivKeyEvent that hot keys are matched with.
// The key code is the evdev code of the physical key: nativeScanCode() - 8
// where the platform gives one (X11, Wayland), else from a US-layout table of
// Qt keys. The character ignoring modifiers is the key's own; the characters
// are the text it typed, which a cue's hot key is matched with. Auto-repeated
// presses and releases give nothing.
struct KivHotKeyAdapter {
    static std::optional<KivKeyEvent> keyEvent(const QKeyEvent& event);
};
