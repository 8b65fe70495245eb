#pragma once

#include "e2e/support/EndToEnd.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class Ladder;

// A case that listens to cues dropped from the file manager onto the first
// cells of a fresh window, on their default keys.
class HeardCase : public EndToEnd {
protected:
    TopLevel openShow(const std::vector<std::string>& files);
    // A ladder written to a file of the case's own.
    std::string ladderFile(const std::string& name, const Ladder& ladder);
    // Presses a key and records `seconds` from the press; answers the first
    // frame of the period in which sound begins after it (a hot key's cues
    // start on a period's first frame), npos when none does.
    std::size_t fire(std::uint32_t key, double seconds, std::vector<float>& heard);
    // The same with a trigger of the case's own (a click on a cell).
    std::size_t fire(const std::function<void()>& trigger, double seconds,
                     std::vector<float>& heard);
    // A sheet from the Edit menu, by its entry's underlined letter ('s' the
    // workspace settings, 'n' a cart's name, 'g' its grid size); none when
    // none showed.
    std::optional<TopLevel> editSheet(const TopLevel& window, char entry);
    // Where a click sets the master volume to a fraction, found on the
    // screen (the bottom bar centres the slider with the output pop-up, whose
    // width is its device's name): the slider's filled track begins at its
    // left end, and its knob's middle travels 105 points from 7.5 points in,
    // so the value taken is the fraction to within 0.005. None when no
    // slider shows.
    std::optional<QPoint> masterVolume(const TopLevel& window, double fraction);
    // Replaces the text of a sheet's field and leaves it with Tab.
    void retype(QPoint field, const std::string& text);

    // The files' sines are at half scale.
    static constexpr double kFull = 0.5;
    std::unique_ptr<WindowMap> map;
};
