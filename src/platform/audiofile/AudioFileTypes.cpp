#include "platform/audiofile/AudioFileTypes.h"

#include <sndfile.h>

#include <algorithm>
#include <cctype>

namespace {

// Names libsndfile's own list leaves out: its AIFF and Ogg formats are also
// spelled these ways.
constexpr const char* kSndfileAliases[] = {"aif", "aifc", "ogg", "opus"};

// What FFmpeg, the reader of last resort, decodes sound from.
constexpr const char* kFfmpegContainers[] = {
    "mp3", "mp2", "m4a", "m4b", "aac", "ac3", "eac3", "dts",  "wma", "wv",   "ape", "mka",
    "amr", "3gp", "mp4", "m4v", "mov", "avi", "mkv",  "webm", "mpg", "mpeg", "wmv"};

void add(std::vector<std::string>& extensions, std::string extension) {
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    // Headerless data cannot be opened without being told its format.
    if (extension.empty() || extension == "raw" ||
        std::find(extensions.begin(), extensions.end(), extension) != extensions.end()) {
        return;
    }
    extensions.push_back(std::move(extension));
}

} // namespace

std::vector<std::string> readableAudioFileExtensions() {
    std::vector<std::string> extensions;
    int count = 0;
    sf_command(nullptr, SFC_GET_FORMAT_MAJOR_COUNT, &count, sizeof count);
    for (int i = 0; i < count; ++i) {
        SF_FORMAT_INFO info{};
        info.format = i;
        if (sf_command(nullptr, SFC_GET_FORMAT_MAJOR, &info, sizeof info) == 0 && info.extension) {
            add(extensions, info.extension);
        }
    }
    for (const char* alias : kSndfileAliases) {
        add(extensions, alias);
    }
    for (const char* container : kFfmpegContainers) {
        add(extensions, container);
    }
    return extensions;
}
