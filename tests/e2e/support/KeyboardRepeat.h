#pragma once

#include <string>

// The X server's keyboard auto-repeat, as a user sets it with `xset r`: a
// key held down past the repeat delay is sent again and again, each time as
// a release and a press of the same moment.
namespace KeyboardRepeat {

// Turns auto-repeat on or off for every key of the display; true when the
// server then answers that it repeats (or, turned off, that it does not).
bool set(const std::string& display, bool on);

} // namespace KeyboardRepeat
