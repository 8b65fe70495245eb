#pragma once

class KivAudioSource;

// Where a cue's file channels go in the cue's own mixer: one by one onto the
// feed channels from the cue's device channel on, a mono file onto a pair.
// Only the cue's mixer moves: the device and its routing are shared by every
// cue of the workspace.
class CueChannelRouting final {
public:
    // `source` must outlive the routing.
    explicit CueChannelRouting(KivAudioSource& source)
        : _source(source) {}

    int deviceChannel() const { return _deviceChannel; }
    // Spreads the file's channels over feed channels channel, channel + 1,
    // ... (below 1 counts as 1).
    void setDeviceChannel(int channel);
    // The source took a new file: its channels take the cue's pair.
    void routeFile();
    // The source's volumes were set to their defaults: a mono file is heard
    // on both of the first pair, then the cue's channel is taken again.
    void routeDefaults();

private:
    void routeMonoToBothOutputs();

    KivAudioSource& _source;
    int _deviceChannel = 1;
};
