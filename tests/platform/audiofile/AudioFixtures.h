#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Audio files made at test (and benchmark) time, in a folder removed after.
namespace AudioFixtures {

// A fresh folder under $TMPDIR, removed with everything in it on destruction.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    std::string path(const std::string& name) const { return _path + "/" + name; }

private:
    std::string _path;
};

// Interleaved music-like test signal: a different chord per channel, a slow
// tremolo and a little seeded noise, peak below 0.8.
std::vector<float> signal(std::size_t frames, unsigned channels, double rate);

// Writes interleaved float through libsndfile; format is an SF_FORMAT_* pair.
// False when libsndfile refused.
bool writeSndfile(const std::string& path, int format, const std::vector<float>& samples,
                  unsigned channels, int rate);

// Writes a 16-bit mono 48 kHz WAV of `dataBytes` of silence whose samples take
// no room on disk (a header, then a hole); every copy of it still writes
// them all. False when it could not be written.
bool writeSparseWav(const std::string& path, std::uint32_t dataBytes);

// Writes AAC-LC in an M4A container with FFmpeg's own encoder.
bool writeM4a(const std::string& path, const std::vector<float>& samples, unsigned channels,
              int rate);

// Writes a Matroska file with one subtitle stream and no audio.
bool writeMatroskaWithoutAudio(const std::string& path);

// Writes bytes as they stand.
void writeBytes(const std::string& path, const std::string& bytes);
std::string readBytes(const std::string& path);

} // namespace AudioFixtures
