#include "KivUI/views/KivAnimation.h"

#include "foundation/MainRunLoop.h"

#include <algorithm>
#include <cmath>

KivAnimation::KivAnimation(double duration, Curve curve)
    : KivAnimation(duration, curve, MainRunLoop::scheduler()) {}

KivAnimation::KivAnimation(double duration, Curve curve, Scheduler& scheduler)
    : _duration(duration)
    , _curve(curve)
    , _scheduler(scheduler) {}

KivAnimation::~KivAnimation() {
    stop();
}

void KivAnimation::start(std::function<void(double)> tick, std::function<void()> ended,
                         double from) {
    stop();
    _ticks = 0;
    _from = std::clamp(from, 0.0, 1.0);
    _tick = std::move(tick);
    _ended = std::move(ended);
    _timer = _scheduler.scheduleRepeating(kTick, [this] { step(); });
}

void KivAnimation::stop() {
    if (_timer) {
        _scheduler.cancel(*_timer);
        _timer.reset();
    }
}

double KivAnimation::elapsedShare() const {
    return _duration <= 0 ? 1.0 : std::min(1.0, _from + _ticks * kTick / _duration);
}

double KivAnimation::currentProgress() const {
    const double t = elapsedShare();
    return _curve == Curve::Linear ? t : (1.0 - std::cos(t * M_PI)) / 2.0;
}

void KivAnimation::step() {
    ++_ticks;
    // Copies: the callbacks may restart or stop this animation.
    const auto tick = _tick;
    const bool done = _from * _duration + _ticks * kTick >= _duration - 1e-9;
    if (done) {
        stop();
    }
    if (tick) {
        tick(currentProgress());
    }
    if (done && !_timer) {
        if (const auto ended = _ended) {
            ended();
        }
    }
}
