#pragma once

#include "foundation/Scheduler.h"

#include <functional>
#include <optional>

// A timed animation on the main loop: it ticks every 1/30 s until its
// duration has run, and each tick reports the progress (0 to 1, through the
// curve). Time is counted in ticks, not read from a clock, so a test that
// advances the main loop's manual scheduler by one tick steps it exactly.
// GUI thread only.
class KivAnimation {
public:
    static constexpr double kTick = 1.0 / 30.0;
    enum class Curve { Linear, EaseInOut };

    // The scheduler defaults to the main loop's.
    KivAnimation(double duration, Curve curve);
    KivAnimation(double duration, Curve curve, Scheduler& scheduler);
    ~KivAnimation();
    KivAnimation(const KivAnimation&) = delete;
    KivAnimation& operator=(const KivAnimation&) = delete;

    // Restarts from `from`, a share of the duration already run (0 to 1).
    // `tick` runs on every tick with the current progress; `ended` runs once
    // after the tick that reached 1, not after stop().
    void start(std::function<void(double progress)> tick, std::function<void()> ended = {},
               double from = 0.0);
    void stop();
    bool isAnimating() const { return _timer.has_value(); }
    // The curve's value at the elapsed share of the duration.
    double currentProgress() const;
    // The elapsed share of the duration itself, before the curve.
    double elapsedShare() const;
    double duration() const { return _duration; }

private:
    void step();

    double _duration;
    Curve _curve;
    Scheduler& _scheduler;
    std::optional<Scheduler::TimerId> _timer;
    int _ticks = 0;
    double _from = 0.0;
    std::function<void(double)> _tick;
    std::function<void()> _ended;
};
