#pragma once

class KivAudioSource;

// Told when a source that was played has finished and let go of its bus.
class KivAudioSourceDelegate {
public:
    // Main thread: a played source has finished and been detached.
    virtual void audioSourceDidFinish(KivAudioSource& source) = 0;

protected:
    ~KivAudioSourceDelegate() = default;
};
