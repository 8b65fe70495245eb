#pragma once

#include <stdexcept>
#include <string>
#include <utility>

// A MIDI stream could not be made. name() is a short kind ("SequencerUnavailable",
// "PortUnavailable"), what() the reason.
class MidiInputError : public std::runtime_error {
public:
    MidiInputError(std::string name, const std::string& reason)
        : std::runtime_error(reason)
        , _name(std::move(name)) {}

    const std::string& name() const { return _name; }

private:
    std::string _name;
};
