#include "audio/render/KivVolumesText.h"

#include <cstdio>

namespace {
void appendFormat(std::string& text, const char* format, auto... values) {
    char piece[64];
    const int length = std::snprintf(piece, sizeof piece, format, values...);
    if (length > 0) {
        text.append(piece, std::min<std::size_t>(std::size_t(length), sizeof piece - 1));
    }
}
} // namespace

std::string volumesText(const MatrixLevels& levels) {
    std::string text;
    appendFormat(text, "\tInput Channels = %u, Output Channels = %u\n", levels.inputChannels,
                 levels.outputChannels);
    appendFormat(text, "\tGlobal Volume: %.3f\n", double(levels.master));
    for (std::uint32_t n = 0; n < levels.inputChannels; ++n) {
        appendFormat(text, "\tInput %u: %.3f |", n, double(levels.inputs[n]));
        for (std::uint32_t m = 0; m < levels.outputChannels; ++m) {
            appendFormat(text, " %.3f",
                         double(levels.crosspoints[std::size_t(n) * levels.outputChannels + m]));
        }
        text += '\n';
    }
    text += "\tOutput Volumes:";
    for (std::uint32_t m = 0; m < levels.outputChannels; ++m) {
        appendFormat(text, " %.3f", double(levels.outputs[m]));
    }
    text += '\n';
    return text;
}
