#pragma once

#include "audio/core/KivAudioStreamDescription.h"
#include "audio/source/KivAudioReading.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class AudioFileReader;
class KivAlias;

// The frames of one audio file for the engine, opened through its alias:
// libsndfile first, FFmpeg as the reader of last resort, converted to the
// read format's rate (deinterleaved float, the file's own channels). A file
// that cannot be opened still makes an object, whose validFile() is false;
// the reason is logged.
//
// One thread at a time: the owner makes it, sets its read format and seeks
// it, then hands it to one worker thread that reads and seeks. Never used
// on the render thread: it reads the file.
class KivAudioFile final : public KivAudioReading {
public:
    explicit KivAudioFile(std::shared_ptr<KivAlias> alias = nullptr);
    ~KivAudioFile();
    KivAudioFile(const KivAudioFile&) = delete;
    KivAudioFile& operator=(const KivAudioFile&) = delete;

    // Takes the alias and reopens the file (closing what was open first).
    void setAlias(std::shared_ptr<KivAlias> alias);
    const std::shared_ptr<KivAlias>& alias() const { return _alias; }
    // The file's path; for a file that cannot be found, the last path known.
    std::string description() const;

    bool validFile() const { return _reader != nullptr; }
    // The FFmpeg reader of last resort is open (the movie reader's place).
    bool usingQuickTime() const { return _usingFallbackReader; }

    // The file's rate and channel count as the readers hand them over
    // (32-bit float, one buffer per channel); none while nothing is open.
    const std::optional<KivAudioStreamDescription>& fileFormat() const { return _fileFormat; }
    std::uint32_t fileChannels() const { return _fileFormat ? _fileFormat->channels() : 0; }
    // Frames over the file's own rate (FFmpeg's is its estimate); 0 while
    // nothing is open.
    double fileLengthInSeconds() const { return _fileLengthInSeconds; }
    // The frames a read from the start delivers at `rate`: the file's own
    // count at its rate, else that count converted (an estimate when the
    // file's is one); 0 while nothing is open.
    std::int64_t lengthInFramesAtRate(double rate) const;

    // Frames are delivered at the format's rate. The reader cannot mix
    // channels, so a format with another channel count than the file's is
    // refused, as is a rate out of the file limits; a refusal is logged and
    // leaves the read format as it was. Goes back to the file's start.
    bool setReadFormat(const KivAudioStreamDescription& format);

    // Positions the next read at a frame in the file's own rate. Reads
    // resume afterwards even when the seek failed (that is logged).
    void goToFrame(std::int64_t frame);
    // Whether sound comes from the file's start and, where the length is
    // the file's own count, from its end: false for a file whose header
    // opens but whose audio cannot be read (one cut off after its first
    // kilobytes, say). Reads a little at each and goes back to the start.
    bool readsThrough();

    // Writes up to `frames` frames into `destination` from `offset` on and
    // silences the rest of those frames; answers the frames read. 0 once the
    // file has ended (and from then on until the next goToFrame), and 0 for
    // a destination whose channel count is not the file's.
    std::uint32_t readFrames(std::uint32_t frames, const AudioChannels& destination,
                             std::uint32_t offset) override;
    // A read has found the end of the file.
    bool isFinished() const { return _atEndOfFile; }

    // A temporary reader's format and length; none and 0 for no alias or one
    // that finds no file.
    static std::optional<KivAudioStreamDescription>
    fileFormatForAlias(const std::shared_ptr<KivAlias>& alias);
    static double fileLengthInSecondsForAlias(const std::shared_ptr<KivAlias>& alias);

private:
    void openFile();
    void closeFile();
    // Frames come from the client frame on.
    bool readsAt(std::int64_t clientFrame);

    std::shared_ptr<KivAlias> _alias;
    std::unique_ptr<AudioFileReader> _reader;
    bool _usingFallbackReader = false;
    std::optional<KivAudioStreamDescription> _fileFormat;
    double _fileLengthInSeconds = 0.0;
    bool _atEndOfFile = false;
};
