#pragma once

#include "foundation/Clock.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// What a master fade moves: a device's or a source's master gain.
class KivFadeTarget {
public:
    // Fade thread (or the caller of stepFades()).
    virtual float fadeVolume() = 0;
    virtual void setFadeVolume(float volume) = 0;
    // Whether a fade may go on: the device is open, the source plays. When
    // it answers false the fade ends without setting its final value. Read a
    // flag here: the owner may hold its locks while endFades() joins.
    virtual bool fadeMayContinue() = 0;

protected:
    ~KivFadeTarget() = default;
};

// Master fades of one object. Each fadeTo() starts a fade that reads the
// current gain, then sets the gain every 10 ms along the raised cosine of
// computeFade() and finally sets the end gain exactly. Each new fade takes a
// new generation (the fade index); a fade runs only while its generation is
// the newest, so a newer fade ends an older one at its next step and the
// older one never sets its final value.
//
// Threaded (the application): each fade runs on a thread of its own, owned
// here and joined: finished threads at the next fadeTo(), the rest by
// endFades() and the destructor. A fade that a newer one replaces wakes at
// once to end.
// Stepped (tests, offline rendering): no threads; stepFades() runs one step
// of every live fade on the caller's thread at the clock's time.
class KivFadeRunner {
public:
    enum class Mode { Threaded, Stepped };

    static constexpr double kStepSeconds = 0.01;

    // The target and the clock must outlive the runner. The clock gives
    // monotonic seconds; a ManualClock only suits the stepped mode.
    KivFadeRunner(KivFadeTarget& target, const Clock& clock, Mode mode = Mode::Threaded);
    ~KivFadeRunner();
    KivFadeRunner(const KivFadeRunner&) = delete;
    KivFadeRunner& operator=(const KivFadeRunner&) = delete;

    // Control thread (main or MIDI). Starts a fade to `finalVolume` over
    // `duration` seconds, ending any older fade.
    void fadeTo(float finalVolume, double duration);

    // Control thread. Ends every fade without setting its final value and
    // joins the fade threads. The device calls it when it closes, before its
    // mixer goes; later fades run again.
    void endFades();

    // Stepped mode, one thread: one step of every live fade; answers how many
    // fades are still live afterwards.
    std::size_t stepFades();

private:
    struct Fade {
        std::int32_t generation = 0;
        float endVolume = 0.0f;
        double duration = 0.0;
        bool started = false;
        float startVolume = 0.0f;
        double startTime = 0.0;
    };
    struct Worker {
        std::thread thread;
        std::atomic<bool> finished{false};
    };

    std::int32_t raiseFadeIndex();
    // Sets the gain for the clock's time; false when the fade is over.
    bool step(Fade& fade);
    void run(Fade fade, Worker& worker);
    void joinFinished(std::vector<std::unique_ptr<Worker>>& workers);

    KivFadeTarget& _target;
    const Clock& _clock;
    const Mode _mode;

    // Raised under `_write` by control threads, read by fade threads. A fade
    // checks it and sets the gain under `_write`, so once fadeTo() returns no
    // older fade writes again.
    std::atomic<std::int32_t> _fadeIndex{0};
    std::mutex _write;
    std::mutex _mutex;             // guards the two lists and the wake-up; before _write
    std::condition_variable _wake; // fade threads sleep here between steps
    std::vector<std::unique_ptr<Worker>> _workers; // threaded mode
    std::vector<Fade> _stepped;                    // stepped mode
};
