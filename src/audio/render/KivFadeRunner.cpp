#include "audio/render/KivFadeRunner.h"

#include "audio/render/KivFadeCurve.h"

#include <chrono>

KivFadeRunner::KivFadeRunner(KivFadeTarget& target, const Clock& clock, Mode mode)
    : _target(target)
    , _clock(clock)
    , _mode(mode) {}

KivFadeRunner::~KivFadeRunner() {
    endFades();
}

void KivFadeRunner::fadeTo(float finalVolume, double duration) {
    std::vector<std::unique_ptr<Worker>> finished;
    {
        std::lock_guard lock(_mutex);
        const Fade fade{raiseFadeIndex(), finalVolume, duration};
        if (_mode == Mode::Stepped) {
            _stepped.push_back(fade);
            return;
        }
        joinFinished(finished);
        auto worker = std::make_unique<Worker>();
        worker->thread = std::thread(&KivFadeRunner::run, this, fade, std::ref(*worker));
        _workers.push_back(std::move(worker));
    }
    _wake.notify_all();
    for (auto& worker : finished) {
        worker->thread.join();
    }
}

// Moves the workers whose fade has ended into `finished`, to be joined
// outside the lock.
void KivFadeRunner::joinFinished(std::vector<std::unique_ptr<Worker>>& finished) {
    for (auto it = _workers.begin(); it != _workers.end();) {
        if ((*it)->finished.load()) {
            finished.push_back(std::move(*it));
            it = _workers.erase(it);
        } else {
            ++it;
        }
    }
}

void KivFadeRunner::endFades() {
    std::vector<std::unique_ptr<Worker>> workers;
    {
        std::lock_guard lock(_mutex);
        raiseFadeIndex();
        _stepped.clear();
        workers.swap(_workers);
    }
    _wake.notify_all();
    for (auto& worker : workers) {
        worker->thread.join();
    }
}

std::size_t KivFadeRunner::stepFades() {
    std::lock_guard lock(_mutex);
    for (auto it = _stepped.begin(); it != _stepped.end();) {
        it = step(*it) ? it + 1 : _stepped.erase(it);
    }
    return _stepped.size();
}

std::int32_t KivFadeRunner::raiseFadeIndex() {
    std::lock_guard write(_write);
    return _fadeIndex.fetch_add(1) + 1;
}

bool KivFadeRunner::step(Fade& fade) {
    const double now = _clock.now();
    std::lock_guard write(_write);
    if (fade.generation != _fadeIndex.load()) {
        return false;
    }
    if (!fade.started) {
        fade.started = true;
        fade.startVolume = _target.fadeVolume();
        fade.startTime = now;
    }
    if (!_target.fadeMayContinue()) {
        return false;
    }
    const double elapsed = now - fade.startTime;
    if (elapsed >= fade.duration || !(fade.duration > 0.0)) {
        _target.setFadeVolume(fade.endVolume);
        return false;
    }
    _target.setFadeVolume(computeFade(fade.startVolume, fade.endVolume, fade.duration, elapsed));
    return true;
}

void KivFadeRunner::run(Fade fade, Worker& worker) {
    while (step(fade)) {
        std::unique_lock lock(_mutex);
        _wake.wait_for(lock, std::chrono::duration<double>(kStepSeconds),
                       [&] { return _fadeIndex.load() != fade.generation; });
    }
    worker.finished.store(true);
}
