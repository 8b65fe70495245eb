#pragma once

// Monotonic seconds, injected into plain C++ code so tests can drive time by hand.
class Clock {
public:
    virtual ~Clock() = default;
    virtual double now() const = 0;
};

class SteadyClock : public Clock {
public:
    double now() const override;
};

// A test clock: it moves only when told to. Single-threaded use.
class ManualClock : public Clock {
public:
    explicit ManualClock(double start = 0.0)
        : _now(start) {}
    double now() const override { return _now; }
    void setNow(double seconds) { _now = seconds; }
    void advance(double seconds) { _now += seconds; }

private:
    double _now;
};
