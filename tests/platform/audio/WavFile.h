#pragma once

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// The parts of a RIFF WAVE file the ALSA "file" PCM writes.
struct WavFile {
    bool valid = false;
    std::uint16_t channels = 0;
    std::uint32_t sampleRate = 0;
    std::uint16_t bitsPerSample = 0;
    std::uint32_t declaredDataBytes = 0;
    std::vector<std::uint8_t> data;

    static WavFile read(const std::string& path) {
        WavFile wav;
        std::ifstream in(path, std::ios::binary);
        const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                              std::istreambuf_iterator<char>());
        if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
            std::memcmp(bytes.data() + 8, "WAVE", 4) != 0) {
            return wav;
        }
        std::size_t at = 12;
        bool haveFormat = false;
        while (at + 8 <= bytes.size()) {
            std::uint32_t size;
            std::memcpy(&size, bytes.data() + at + 4, 4);
            const std::uint8_t* body = bytes.data() + at + 8;
            if (std::memcmp(bytes.data() + at, "fmt ", 4) == 0 && size >= 16) {
                std::memcpy(&wav.channels, body + 2, 2);
                std::memcpy(&wav.sampleRate, body + 4, 4);
                std::memcpy(&wav.bitsPerSample, body + 14, 2);
                haveFormat = true;
            } else if (std::memcmp(bytes.data() + at, "data", 4) == 0) {
                wav.declaredDataBytes = size;
                wav.data.assign(body, bytes.data() + bytes.size());
                wav.valid = haveFormat;
                return wav;
            }
            at += 8 + size + (size & 1);
        }
        return wav;
    }

    float sample(std::size_t index) const {
        float value;
        std::memcpy(&value, data.data() + index * 4, 4);
        return value;
    }
};
